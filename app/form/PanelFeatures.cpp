// The features of each panel, registered in the order their items appear in
// the menus they share. This is the one file of the window that knows them:
// a new feature is its folder under app/features and a line here.
#include <memory>

#include "Unit1.h"
#include "features/appearance/PanelAppearance.h"
#include "features/capture/PanelCapture.h"
#include "features/display/PanelDisplay.h"
#include "features/file_send/PanelFileSend.h"
#include "features/file_transfer/PanelFileTransfer.h"
#include "features/find/PanelFind.h"
#include "features/language/PanelLanguage.h"
#include "features/line_control/PanelLineControl.h"
#include "features/line_control/PanelModemLines.h"
#include "features/link_monitor/PanelLinkMonitor.h"
#include "features/menus/PanelShortcuts.h"
#include "features/network_ports/PanelNetworkPorts.h"
#include "features/plotter/PanelPlotter.h"
#include "features/quick_sends/PanelQuickSends.h"
#include "features/scripts/PanelScripts.h"
#include "features/send_options/PanelSendOptions.h"
#include "features/session_log/PanelSessionLog.h"
#include "features/time_stamps/PanelTimeStamps.h"
#include "features/whole_session/PanelWholeSession.h"

namespace {

// What a script drives of a panel's lines, through the panel's own line
// features, so that their menus show it.
ScriptLineControls LineControlsOf(DevicePanel& Panel) {
  PanelModemLines& lines = *Panel.Find<PanelModemLines>();
  PanelLineControl& control = *Panel.Find<PanelLineControl>();
  return {.SetDtr = [&lines](bool On) { lines.SetDtr(On); },
          .SetRts =
              [&lines](bool On) {
                lines.SetRts(On);
                return !lines.Choice().RtsByFlow;
              },
          .StartResetPulse =
              [&lines] {
                lines.ResetPulse();
                return lines.Choice().Pulsing;
              },
          .Pulsing = [&lines] { return lines.Choice().Pulsing; },
          .StartBreak =
              [&control](int Ms) {
                control.SendBreak(Ms);
                return control.BreakOn();
              },
          .BreakOn = [&control] { return control.BreakOn(); },
          .SetFlow =
              [&control](int Flow) {
                control.SetFlowControl(static_cast<FlowControl>(Flow));
                return static_cast<int>(control.Flow()) == Flow;
              }};
}

}  // namespace

void TForm1::CreateFeatures() {
  // The link monitor serves both panels; each panel's part keeps it alive.
  const auto monitor = std::make_shared<LinkMonitor>(this);
  // So does the script host.
  const auto scripts = std::make_shared<ScriptHost>(this);
  for (const std::unique_ptr<DevicePanel>& panel : Panels) {
    panel->Add<PanelTimeStamps>();
    panel->Add<PanelSendOptions>();
    panel->Add<PanelShortcuts>();
    panel->Add<PanelModemLines>();
    panel->Add<PanelCapture>();
    panel->Add<PanelSessionLog>();
    panel->Add<PanelFileSend>();
    panel->Add<PanelFileTransfer>();
    panel->Add<PanelPlotter>();
    panel->Add<PanelDisplay>();
    panel->Add<PanelAppearance>();
    panel->Add<PanelLinkMonitor>(monitor);
    panel->Add<PanelWholeSession>();
    panel->Add<PanelFind>();
    panel->Add<PanelQuickSends>();
    panel->Add<PanelLanguage>();
    panel->Add<PanelLineControl>();
    panel->Add<PanelNetworkPorts>();
    panel->Add<PanelScripts>(scripts, LineControlsOf(*panel));
  }
  Settings = std::make_unique<SettingsFile>(Panels);
}

void TForm1::OnModemLineEvent(TMessage& Message) {
  const auto found = PortToPanel.find(static_cast<int>(Message.WParam));
  if (found != PortToPanel.end()) Panels[found->second]->StateChanged();
}
