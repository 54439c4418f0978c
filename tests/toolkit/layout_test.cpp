// Where controls go and how they look: parents and owners, tab order, the
// docked status bar, fixed-size centred forms, fonts and pictures.
#include <gtest/gtest.h>

#include "string_printer.h"

#include <QBitmap>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWidget>

#include "control_data.h"
#include "toolkit/com_controls.h"
#include "toolkit/ext_controls.h"
#include "toolkit/forms.h"
#include "toolkit/std_controls.h"
#include "toolkit/testing.h"

namespace {

TEST(Layout, OwnersFreeWhatTheyOwnAndParentsWhatTheyHold) {
  auto* form = new TForm(nullptr);
  auto* group = new TGroupBox(form);
  group->Parent = form;
  auto* button = new TButton(form);  // owned by the form, held by the group
  button->Parent = group;
  auto* timer = new TTimer(form);
  EXPECT_EQ(form->ComponentCount, 3);
  EXPECT_EQ(group->ControlCount, 1);
  EXPECT_EQ(group->Controls[0], static_cast<TControl*>(button));
  HWND buttonWindow = button->Handle;

  delete button;  // leaves both lists
  EXPECT_EQ(form->ComponentCount, 2);
  EXPECT_EQ(group->ControlCount, 0);
  EXPECT_FALSE(IsWindow(buttonWindow));
  EXPECT_TRUE(timer->Enabled);  // on from creation
  delete form;                  // frees the group and the timer; ASan checks
}

TEST(Layout, TabOrderWithinAParentBecomesTheFocusChain) {
  TForm form(nullptr);
  auto* first = new TGroupBox(&form);
  first->Parent = &form;
  auto* a = new TEdit(&form);
  auto* b = new TEdit(&form);
  auto* c = new TEdit(&form);
  for (TEdit* edit : {a, b, c}) edit->Parent = first;
  auto* after = new TButton(&form);
  after->Parent = &form;
  // Setting a position moves the control there and shifts the others.
  c->TabOrder = 0;
  EXPECT_EQ(c->TabOrder, 0);
  EXPECT_EQ(a->TabOrder, 1);
  EXPECT_EQ(b->TabOrder, 2);
  b->TabOrder = 99;  // past the end: last
  EXPECT_EQ(b->TabOrder, 2);

  auto next = [](TWinControl* control) { return ControlAccess::Widget(control)->nextInFocusChain(); };
  EXPECT_EQ(next(c), ControlAccess::Widget(a));
  EXPECT_EQ(next(a), ControlAccess::Widget(b));
  EXPECT_EQ(next(b), ControlAccess::Widget(after));
}

TEST(Layout, StatusBarStaysAlongTheBottomWithFixedWidthPanels) {
  TForm form(nullptr);
  form.ClientWidth = 848;
  form.ClientHeight = 419;
  auto* bar = new TStatusBar(&form);
  bar->Parent = &form;
  for (int width : {150, 200, 200, 160}) {
    TStatusPanel* panel = bar->Panels->Add();
    panel->Width = width;
    panel->Alignment = taCenter;
  }
  bar->Panels->Items[1]->Text = "COM3: S:    10 R:    25";
  EXPECT_EQ(bar->Panels->Count, 4);
  EXPECT_EQ(bar->Top + bar->Height, 419);
  EXPECT_EQ(bar->Width, 848);
  EXPECT_THROW(bar->Panels->Items.Get(4), EStringListError);

  form.ClientHeight = 300;
  EXPECT_EQ(bar->Top + bar->Height, 300);
  auto labels = ControlAccess::Widget(bar)->findChildren<QLabel*>();
  ASSERT_EQ(labels.size(), 4);
  EXPECT_EQ(labels[1]->width(), 200);
  EXPECT_EQ(labels[1]->text(), QString::fromUtf8("COM3: S:    10 R:    25"));
  EXPECT_EQ(labels[1]->alignment(), Qt::AlignCenter);

  // A panel's hint is its own tool tip; the others keep none.
  bar->Panels->Items[2]->Hint = "CTS: 高  DSR: 低";
  EXPECT_EQ(labels[2]->toolTip(), QString::fromUtf8("CTS: 高  DSR: 低"));
  EXPECT_TRUE(labels[1]->toolTip().isEmpty());
  bar->Panels->Items[2]->Hint = "";
  EXPECT_TRUE(labels[2]->toolTip().isEmpty());
}

TEST(Layout, SingleBorderFormsKeepTheirSizeAndOpenCentred) {
  TForm form(nullptr);
  form.BorderStyle = bsSingle;
  form.BorderIcons = biSystemMenu | biMinimize;
  form.ClientWidth = 848;
  form.ClientHeight = 419;
  form.Position = poScreenCenter;
  form.SetBounds(323, 212, form.Width, form.Height);
  form.Show();
  QWidget* window = ControlAccess::Widget(&form);
  EXPECT_EQ(window->minimumSize(), QSize(848, 419));
  EXPECT_EQ(window->maximumSize(), QSize(848, 419));
  EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
  QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
  EXPECT_LE((window->frameGeometry().center() - screenCentre).manhattanLength(), 2);
}

TEST(Layout, FontsUseClassicHeightsAndChildrenInheritThem) {
  TForm form(nullptr);
  form.Font->Name = "MS Sans Serif";
  form.Font->Height = -12;
  auto* group = new TGroupBox(&form);
  group->Parent = &form;
  auto* label = new TLabel(&form);
  label->Parent = group;
  EXPECT_EQ(group->Font->Height, -12);
  EXPECT_EQ(label->Font->Size, 9);
  label->Font->Height = -13;
  label->Font->Color = clWindowText;
  label->Font->Style = fsBold;
  EXPECT_EQ(ControlAccess::Widget(label)->font().pixelSize(), 13);
  EXPECT_EQ(label->Font->Style, static_cast<TFontStyles>(fsBold));
  // The colour reads back as given; the widget draws it resolved.
  EXPECT_EQ(label->Font->Color, clWindowText);
  EXPECT_EQ(ControlAccess::Widget(label)->palette().color(QPalette::WindowText), QColor(Qt::black));
  EXPECT_EQ(form.Font->Height, -12);
}

TEST(Layout, ColoursResolveSystemColoursToFixedValues) {
  EXPECT_EQ(ColorToRGB(clSilver), 0xC0C0C0);
  EXPECT_EQ(ColorToRGB(clWindow), 0xFFFFFF);
  EXPECT_EQ(ColorToRGB(clGradientActiveCaption), 0xEAD1B9);  // blue in BGR
  TForm form(nullptr);
  auto* memo = new TMemo(&form);
  memo->Parent = &form;
  memo->Color = clSilver;
  EXPECT_EQ(memo->Color, clSilver);
  // The text area takes the colour; the scroll bars keep their palette.
  auto* editor = ControlAccess::WidgetAs<QPlainTextEdit>(memo);
  EXPECT_EQ(editor->viewport()->palette().color(QPalette::Base), QColor(0xC0, 0xC0, 0xC0));
  const qint64 scrollBarPalette = editor->verticalScrollBar()->palette().cacheKey();
  memo->Color = clWindow;
  EXPECT_EQ(editor->viewport()->palette().color(QPalette::Base), QColor(Qt::white));
  EXPECT_EQ(editor->verticalScrollBar()->palette().cacheKey(), scrollBarPalette);
}

TEST(Layout, PicturesLoadFromFilesAndTransparentOnesHideTheirCornerColour) {
  TForm form(nullptr);
  auto* image = new TImage(&form);
  image->Parent = &form;
  EXPECT_THROW(image->Picture->LoadFromFile(":/no/such/picture.png"), EInvalidGraphic);
  EXPECT_EQ(image->Picture->Width, 0);

  QTemporaryDir folder;
  QImage banner(4, 2, QImage::Format_RGB32);
  banner.fill(Qt::white);
  banner.setPixel(3, 0, qRgb(0, 0, 255));
  QString path = folder.filePath("banner.png");
  ASSERT_TRUE(banner.save(path));
  image->Transparent = true;
  image->Picture->LoadFromFile(path.toStdString());
  EXPECT_EQ(image->Picture->Width, 4);
  QPixmap shown = ControlAccess::WidgetAs<QLabel>(image)->pixmap();
  ASSERT_FALSE(shown.isNull());
  QImage mask = shown.mask().toImage();
  EXPECT_NE(mask.pixelIndex(0, 1), mask.pixelIndex(3, 0));  // white hidden, blue kept
}

}  // namespace
