// The whole widget toolkit in one include.
#pragma once

#include "toolkit/classes.h"
#include "toolkit/colors.h"
#include "toolkit/com_controls.h"
#include "toolkit/controls.h"
#include "toolkit/date_time.h"
#include "toolkit/dialogs.h"
#include "toolkit/events.h"
#include "toolkit/exceptions.h"
#include "toolkit/ext_controls.h"
#include "toolkit/forms.h"
#include "toolkit/graphics.h"
#include "toolkit/property.h"
#include "toolkit/registry.h"
#include "toolkit/std_controls.h"
#include "toolkit/string_lists.h"
#include "toolkit/strings.h"
