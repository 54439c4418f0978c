#include "PlotterWindow.h"

namespace {

constexpr unsigned kRedrawMs = 45;  // 22 redraws a second at most: above the 20 that look smooth, at less cost

TLabel* NewLabel(TWinControl* Parent, const String& Caption, int Left, int Top, int Width, TWinControl* For) {
  auto* label = new TLabel(Parent);
  label->Parent = Parent;
  label->Caption = Caption;
  label->SetBounds(Left, Top + 4, Width, 20);
  label->FocusControl = For;
  return label;
}

template <typename Control>
Control* Place(TWinControl* Parent, int Left, int Top, int Width) {
  auto* control = new Control(Parent);
  control->Parent = Parent;
  control->SetBounds(Left, Top, Width, 24);
  return control;
}

TButton* NewButton(TWinControl* Parent, const String& Caption, int Left, int Top, int Width, TNotifyEvent OnClick) {
  auto* button = Place<TButton>(Parent, Left, Top, Width);
  button->Caption = Caption;
  button->OnClick = std::move(OnClick);
  return button;
}

}  // namespace

PlotterWindow::PlotterWindow(const String& Caption, PlotRecording& Recording, PlotChoices& Choices,
                             std::function<void()> ChoicesChanged, std::function<void()> Closed,
                             std::function<double()> Now)
    : recording_(Recording),
      choices_(Choices),
      choicesChanged_(std::move(ChoicesChanged)),
      closed_(std::move(Closed)),
      now_(std::move(Now)),
      form_(std::make_unique<TForm>(nullptr)),
      rateSince_(std::chrono::steady_clock::now()) {
  form_->Caption = Caption;
  form_->ClientWidth = 900;
  form_->ClientHeight = 560;
  form_->Position = poScreenCenter;
  form_->ClosesWithKeys = true;
  MakeControls();
  MakeChartMenu();
  ShowChoices();
  form_->OnClose = [this](TObject*, TCloseAction& Action) {
    Action = caHide;
    timer_->Enabled = false;
    if (closed_) closed_();
  };
  timer_ = new TTimer(form_.get());
  timer_->Interval = kRedrawMs;
  timer_->Enabled = false;
  timer_->OnTimer = [this](TObject*) { OnTick(); };
}

PlotterWindow::~PlotterWindow() = default;

void PlotterWindow::MakeControls() {
  auto* bar = new TGroupBox(form_.get());
  bar->Parent = form_.get();
  bar->Height = 72;
  bar->Align = alTop;
  MakeChoiceControls(bar);
  MakeButtons(bar);
  chart_ = new TLineChart(form_.get());
  chart_->Parent = form_.get();
  chart_->AccessibleName = Tr("Plotter", "图表");
  chart_->Hint = Tr("Plotter", "滚轮缩放（Ctrl+滚轮缩放数值），拖动平移；键：+ - 方向键，Home 复位");
  chart_->ShowHint = true;
  chart_->Align = alClient;
  chart_->OnViewChange = [this](TObject*) { Draw(); };
  chart_->OnSeriesVisibleChange = [this](TObject*) { Draw(); };
  status_ = new TStatusBar(form_.get());
  status_->Parent = form_.get();
  TStatusPanel* panel = status_->Panels->Add();
  panel->Width = 880;
  panel->AccessibleName = Tr("Plotter", "记录");
  chart_->Align = alClient;  // again, now that the status bar is below it
}

void PlotterWindow::MakeChoiceControls(TWinControl* Bar) {
  const auto read = [this](TObject*) { ReadChoices(); };
  axis_ = Place<TComboBox>(Bar, 78, 10, 110);
  axis_->Style = csDropDownList;
  axis_->Items->Add(Tr("Plotter", "时间（秒）"));
  axis_->Items->Add(Tr("Plotter", "采样序号"));
  axis_->OnChange = read;
  NewLabel(Bar, Tr("Plotter", "横轴(&X):"), 8, 10, 68, axis_);
  span_ = Place<TEdit>(Bar, 290, 10, 70);
  span_->OnChange = read;
  NewLabel(Bar, Tr("Plotter", "显示最近(&N):"), 198, 10, 90, span_);
  spanUnit_ = Place<TComboBox>(Bar, 364, 10, 80);
  spanUnit_->Style = csDropDownList;
  spanUnit_->Items->Add(Tr("Plotter", "个采样"));
  spanUnit_->Items->Add(Tr("Plotter", "秒"));
  spanUnit_->AccessibleName = Tr("Plotter", "显示最近的单位");
  spanUnit_->OnChange = read;
  autoscale_ = Place<TCheckBox>(Bar, 460, 10, 110);
  autoscale_->Caption = Tr("Plotter", "自动范围(&A)");
  autoscale_->OnClick = read;
  min_ = Place<TEdit>(Bar, 628, 10, 80);
  min_->OnChange = read;
  NewLabel(Bar, Tr("Plotter", "最小(&I):"), 576, 10, 50, min_);
  max_ = Place<TEdit>(Bar, 764, 10, 80);
  max_->OnChange = read;
  NewLabel(Bar, Tr("Plotter", "最大(&M):"), 712, 10, 50, max_);
}

void PlotterWindow::MakeButtons(TWinControl* Bar) {
  pause_ = NewButton(Bar, Tr("Plotter", "暂停(&P)"), 8, 40, 100, [this](TObject*) { SetPaused(!paused_); });
  NewButton(Bar, Tr("Plotter", "复位视图(&R)"), 112, 40, 100, [this](TObject*) {
    chart_->ResetView();
    Draw();
  });
  NewButton(Bar, Tr("Plotter", "清除(&C)"), 216, 40, 100, [this](TObject*) {
    recording_.Clear();
    if (Cleared) Cleared();
    Draw();
  });
  NewButton(Bar, Tr("Plotter", "导出 CSV(&E)…"), 320, 40, 120, [this](TObject*) { ExportCsv(); });
  NewButton(Bar, Tr("Plotter", "保存图片(&S)…"), 444, 40, 120, [this](TObject*) { SavePicture(); });
}

void PlotterWindow::MakeChartMenu() {
  // Hiding a series by keyboard: the chart's context menu lists them.
  chartMenu_ = new TPopupMenu(form_.get());
  chartMenu_->OnPopup = [this](TObject*) {
    chartMenu_->Items->Clear();
    for (int series = 0; series < chart_->SeriesCount(); ++series) {
      TMenuItem* item = NewItem(form_.get(), chart_->SeriesName(series), 0, [this, series](TObject* Sender) {
        chart_->SetSeriesVisible(series, static_cast<TMenuItem*>(Sender)->Checked);
        Draw();
      });
      item->AutoCheck = true;
      item->Checked = chart_->SeriesVisible(series);
      chartMenu_->Items->Add(item);
    }
  };
  chart_->PopupMenu = chartMenu_;
}

void PlotterWindow::Show() {
  changed_ = true;
  timer_->Enabled = true;
  form_->Show();
  chart_->SetFocus();
}

void PlotterWindow::Close() { form_->Close(); }

bool PlotterWindow::Showing() const { return form_->Visible; }

void PlotterWindow::SetPaused(bool Paused) {
  paused_ = Paused;
  pause_->Caption = paused_ ? Tr("Plotter", "继续(&P)") : Tr("Plotter", "暂停(&P)");
  if (!paused_) Draw();
  ShowStatus();
}

void PlotterWindow::ShowChoices() {
  showingChoices_ = true;
  axis_->ItemIndex = choices_.Axis == PlotXAxis::kTime ? 0 : 1;
  span_->Text = PlotNumberText(choices_.Span);
  spanUnit_->ItemIndex = choices_.SpanInSeconds ? 1 : 0;
  autoscale_->Checked = choices_.Autoscale;
  min_->Text = PlotNumberText(choices_.Min);
  max_->Text = PlotNumberText(choices_.Max);
  min_->Enabled = max_->Enabled = !choices_.Autoscale;
  ShowAxisTitle();
  showingChoices_ = false;
}

void PlotterWindow::ReadChoices() {
  if (showingChoices_) return;
  // A value being typed that is not valid yet leaves the last valid one.
  PlotChoices read = choices_;
  read.Axis = axis_->ItemIndex == 1 ? PlotXAxis::kSample : PlotXAxis::kTime;
  read.SpanInSeconds = spanUnit_->ItemIndex == 1;
  double span = 0, low = 0, high = 0;
  if (ReadPlotNumber(AnsiString(span_->Text).c_str(), span) && ValidSpan(span, read.SpanInSeconds)) read.Span = span;
  if (!ValidSpan(read.Span, read.SpanInSeconds)) read.Span = read.SpanInSeconds ? 10 : 500;
  read.Autoscale = autoscale_->Checked;
  if (ReadPlotNumber(AnsiString(min_->Text).c_str(), low) && ReadPlotNumber(AnsiString(max_->Text).c_str(), high) &&
      ValidRange(low, high)) {
    read.Min = low;
    read.Max = high;
  }
  min_->Enabled = max_->Enabled = !read.Autoscale;
  if (read.Axis != choices_.Axis) chart_->ResetView();  // the user's x range meant the other axis
  choices_ = read;
  ShowAxisTitle();
  if (choicesChanged_) choicesChanged_();
  Draw();
}

void PlotterWindow::ShowAxisTitle() {
  chart_->XTitle = choices_.Axis == PlotXAxis::kTime ? Tr("Plotter", "时间（秒）") : Tr("Plotter", "采样序号");
}
