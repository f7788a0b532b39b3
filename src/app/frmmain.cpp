#include "app/frmmain.h"

#include "app/control_ids.h"

namespace app {

namespace {

constexpr int kClientWidth = 770;
constexpr int kClientHeight = 560;
constexpr int kTitleHeight = 106;
constexpr int kMiddleHeight = 434;
constexpr int kStatusHeight = 20;
constexpr int kNavigationWidth = 179;
constexpr int kPageWidth = kClientWidth - kNavigationWidth;  // 591
constexpr int kStripHeight = 33;

// The accent of the title artwork, for the page title strips.
constexpr gui::TColor kAccent = gui::RGBColor(19, 122, 134);
constexpr gui::TColor kFrameColor = gui::RGBColor(176, 196, 200);
constexpr gui::TColor kLinkBlue = gui::RGBColor(0, 0, 255);

gui::TFont BoldFont(int height, gui::TColor color) {
  gui::TFont f;
  f.bold = true;
  f.height = height;
  f.color = color;
  return f;
}

}  // namespace

PageChrome::PageChrome(gui::TPage& page, int pageId, const std::string& title)
    : Strip(&page, pageId + ids::kTitleStripOffset),
      Title(&Strip, pageId + ids::kTitleTextOffset),
      Frame(&page, pageId + ids::kFrameOffset) {
  Strip.SetBounds(0, 0, kPageWidth, kStripHeight);
  Strip.SetColor(kAccent);
  Title.SetBounds(12, 9, kPageWidth - 24, 16);
  Title.SetFont(BoldFont(-13, gui::colors::kWhite));
  Title.SetCaption(title);
  Frame.SetBounds(6, kStripHeight + 6, kPageWidth - 12, kMiddleHeight - kStripHeight - 12);
  Frame.SetColor(gui::colors::kWhite);
  Frame.SetBorder(kFrameColor);
}

TForm_Zentor::TForm_Zentor(gui::TApplication& app, platform::Os& os)
    : gui::TForm(app, ids::kFormZentor),
      Panel1(this, ids::kPanel1),
      Image1(&Panel1, ids::kImage1),
      SpeedButton5(&Panel1, ids::kSpeedButton5),
      SpeedButton6(&Panel1, ids::kSpeedButton6),
      SpeedButton3(&Panel1, ids::kSpeedButton3),
      SpeedButton2(&Panel1, ids::kSpeedButton2),
      ImageEx2(&Panel1, ids::kImageEx2),
      ImageEx3(&Panel1, ids::kImageEx3),
      Image_Icon(&Panel1, ids::kImageIcon),
      Image_IconBak(&Panel1, ids::kImageIconBak),
      Button_GetProcessInfo(&Panel1, ids::kButtonGetProcessInfo),
      Panel3(this, ids::kPanel3),
      Panel4(&Panel3, ids::kPanel4),
      Image2(&Panel4, ids::kImage2),
      SpeedButton_UsageGraph(&Panel4, ids::kSpeedButtonUsageGraph),
      SpeedButton_full(&Panel4, ids::kSpeedButtonFull),
      SpeedButton_Set(&Panel4, ids::kSpeedButtonSet),
      Label_AutoOptimize(&Panel4, ids::kLabelAutoOptimize),
      Notebook1(&Panel3, ids::kNotebook1),
      Page_UsageGroup(Notebook1.AddPage(ids::kPageUsageGroup, "USAGEGROUP")),
      Page_Processes(Notebook1.AddPage(ids::kPageProcesses, "Processes")),
      Page_Settings(Notebook1.AddPage(ids::kPageSettings, "Settings")),
      Page_About(Notebook1.AddPage(ids::kPageAbout, "About")),
      Page_OverallOpimize(Notebook1.AddPage(ids::kPageOverallOpimize, "OverallOpimize")),
      Chrome_UsageGroup(Page_UsageGroup, ids::kPageUsageGroup, "System Overview"),
      Chrome_Processes(Page_Processes, ids::kPageProcesses, "Optimization"),
      Chrome_Settings(Page_Settings, ids::kPageSettings, "Settings"),
      Chrome_About(Page_About, ids::kPageAbout, "About"),
      Label_Version(&Chrome_About.Frame, ids::kLabelVersion),
      Label_ReleaseDate(&Chrome_About.Frame, ids::kLabelReleaseDate),
      Label_SupportOs(&Chrome_About.Frame, ids::kLabelSupportOs),
      Label_Function(&Chrome_About.Frame, ids::kLabelFunction),
      Label_Email(&Chrome_About.Frame, ids::kLabelEmail),
      Label31(&Chrome_About.Frame, ids::kLabel31),
      Label32(&Chrome_About.Frame, ids::kLabel32),
      StatusBar_State(this, ids::kStatusBarState),
      ImageList1(55, 16),
      CheckBox_CloseMinimize(&Page_Settings, ids::kCheckBoxCloseMinimize),
      CheckBox_MinimizeStart(&Page_Settings, ids::kCheckBoxMinimizeStart),
      CheckBox_Auto(&Page_Settings, ids::kCheckBoxAuto),
      Timer_HideMainWindows(app, ids::kTimerHideMainWindows),
      os_(os) {
  SetCaption("Quorvel");
  SetColor(gui::colors::kWhite);
  int desktopWidth = 0, desktopHeight = 0;
  app.GetBackend().DesktopSize(desktopWidth, desktopHeight);
  SetClientSizeCentred(kClientWidth, kClientHeight, desktopWidth, desktopHeight);

  LayOutTitleArea();
  LayOutMiddle();
  LayOutAboutPage();
  LayOutStatusBar();

  // The settings page places these; until then they hold their state only.
  CheckBox_CloseMinimize.SetCaption("Minimize to tray when close window ");
  CheckBox_MinimizeStart.SetCaption("Minimize when start");
  CheckBox_Auto.SetCaption("Auto optimize when start");
  for (gui::TCheckBox* box : {&CheckBox_CloseMinimize, &CheckBox_MinimizeStart, &CheckBox_Auto}) {
    box->Hide();
  }

  Timer_HideMainWindows.SetEnabled(false);
  Timer_HideMainWindows.SetInterval(1);

  ConnectEvents();
}

TForm_Zentor::~TForm_Zentor() = default;

void TForm_Zentor::LayOutTitleArea() {
  Panel1.SetBounds(0, 0, kClientWidth, kTitleHeight);
  Image1.SetBounds(0, 0, kClientWidth, kTitleHeight);
  Image1.SetStretch(true);
  Image1.SetPicture(gui::LoadPictureResource("TITLE"));

  struct Placed {
    gui::TSpeedButton& button;
    int left, top, width, height;
    const char* picture;
    const char* caption;
  };
  for (const Placed& p : {Placed{SpeedButton5, 710, 8, 22, 11, "TITLE_MINIMIZE", "Minimize"},
                          Placed{SpeedButton6, 740, 8, 22, 11, "TITLE_CLOSE", "Close"},
                          Placed{SpeedButton3, 661, 54, 55, 16, "TITLE_ABOUT", "About"},
                          Placed{SpeedButton2, 716, 54, 55, 16, "TITLE_HELP", "Help"}}) {
    p.button.SetBounds(p.left, p.top, p.width, p.height);
    p.button.SetGlyph(gui::LoadPictureResource(p.picture), 4);
    p.button.SetCaption(p.caption);
  }

  // The hover pictures lie over the About and Help buttons and let them
  // show through while the pointer is elsewhere.
  ImageList1.AddStrip(gui::LoadPictureResource("HOVER"));
  ImageEx2.SetBounds(661, 54, 55, 16);
  ImageEx3.SetBounds(716, 54, 55, 16);
  ImageEx2.SetCaption("About");
  ImageEx3.SetCaption("Help");
  for (gui::TImageEx* hover : {&ImageEx2, &ImageEx3}) hover->SetCursor(gui::TCursor::crHandPoint);

  // Drawing surfaces of the tray icon, never shown.
  Image_Icon.SetBounds(0, 0, 16, 16);
  Image_Icon.SetPicture(gui::Bitmap(16, 16, gui::colors::kWhite));
  Image_Icon.Hide();
  Image_IconBak.SetBounds(16, 0, 16, 16);
  Image_IconBak.SetPicture(gui::Bitmap(16, 16, gui::RGBColor(0, 0, 255)));
  Image_IconBak.Hide();

  Button_GetProcessInfo.SetBounds(32, 0, 90, 25);
  Button_GetProcessInfo.SetCaption("GetProcessList");
  Button_GetProcessInfo.Hide();
}

void TForm_Zentor::LayOutMiddle() {
  Panel3.SetBounds(0, kTitleHeight, kClientWidth, kMiddleHeight);
  Panel3.SetColor(gui::colors::kWhite);
  Panel4.SetBounds(0, 0, kNavigationWidth, kMiddleHeight);
  Image2.SetBounds(0, 0, kNavigationWidth, kMiddleHeight);
  Image2.SetStretch(true);
  Image2.SetPicture(gui::LoadPictureResource("NAVIGATION"));

  struct Nav {
    gui::TSpeedButton& button;
    int top;
    const char* picture;
    const char* caption;
  };
  for (const Nav& n : {Nav{SpeedButton_UsageGraph, 40, "NAV_OVERVIEW", "System Overview"},
                       Nav{SpeedButton_full, 96, "NAV_OPTIMIZATION", "Optimization"},
                       Nav{SpeedButton_Set, 152, "NAV_SETTINGS", "Settings"}}) {
    n.button.SetBounds(28, n.top, 116, 29);
    n.button.SetGlyph(gui::LoadPictureResource(n.picture), 4);
    n.button.SetCaption(n.caption);
    n.button.SetGroupIndex(1);
  }
  SpeedButton_UsageGraph.SetDown(true);

  Label_AutoOptimize.SetBounds(8, 346, 121, 13);
  Label_AutoOptimize.SetFont([] {
    gui::TFont f;
    f.color = gui::colors::kWhite;
    return f;
  }());
  Label_AutoOptimize.Hide();

  Notebook1.SetBounds(kNavigationWidth, 0, kPageWidth, kMiddleHeight);
  Notebook1.SetColor(gui::colors::kWhite);
  for (int i = 0; i < Notebook1.PageCount(); ++i) {
    gui::TPage& page = Notebook1.Page(i);
    page.SetBounds(0, 0, kPageWidth, kMiddleHeight);
    page.SetColor(gui::colors::kWhite);
  }
}

void TForm_Zentor::LayOutAboutPage() {
  struct Line {
    gui::TLabel& label;
    int left, top, width;
    std::string text;
  };
  const int left = 28;
  for (const Line& l :
       {Line{Label_Version, left, 28, 400, ProductVersionLine},
        Line{Label_ReleaseDate, left, 54, 400, ReleaseDateLine},
        Line{Label_SupportOs, left, 80, 500, "Support OS:Windows 95/98/ME/NT4/XP/2000/2003/Vista"},
        Line{Label_Function, left, 106, 400, "Function: Clean and optimize memory "},
        Line{Label_Email, left, 132, 40, "E-mail:"},
        Line{Label31, left + 42, 132, 300, SupportMailAddress},
        Line{Label32, left, 158, 300, ProductWebSite}}) {
    l.label.SetBounds(l.left, l.top, l.width, 16);
    l.label.SetCaption(l.text);
  }
  gui::TFont heading = BoldFont(-13, gui::colors::kBlack);
  Label_Version.SetFont(heading);
  for (gui::TLabel* link : {&Label31, &Label32}) {
    gui::TFont f;
    f.color = kLinkBlue;
    f.underline = true;
    link->SetFont(f);
    link->SetCursor(gui::TCursor::crHandPoint);
  }
}

void TForm_Zentor::LayOutStatusBar() {
  StatusBar_State.SetBounds(0, kTitleHeight + kMiddleHeight, kClientWidth, kStatusHeight);
  StatusBar_State.SetColor(gui::colors::kWhite);
  StatusBar_State.AddPanel(143, gui::TAlignment::taCenter);
  StatusBar_State.AddPanel(150, gui::TAlignment::taCenter);
  StatusBar_State.AddPanel(50, gui::TAlignment::taLeftJustify);
}

void TForm_Zentor::ConnectEvents() {
  OnCreate = [this] { FormCreate(); };
  OnShow = [this] { FormShow(); };
  OnCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
  Timer_HideMainWindows.OnTimer = [this] { Timer_HideMainWindowsTimer(); };

  SpeedButton_UsageGraph.OnClick = [this] { SpeedButton_UsageGraphClick(); };
  SpeedButton_full.OnClick = [this] { SpeedButton_fullClick(); };
  SpeedButton_Set.OnClick = [this] { SpeedButton_SetClick(); };
  SpeedButton3.OnClick = [this] { SpeedButton3Click(); };
  SpeedButton2.OnClick = [this] { SpeedButton2Click(); };
  SpeedButton5.OnClick = [this] { SpeedButton5Click(); };
  SpeedButton6.OnClick = [this] { SpeedButton6Click(); };
  ImageEx2.OnMouseEnter = [this](gui::TControl& s) { ImageEx2MouseEnter(s); };
  ImageEx3.OnMouseEnter = [this](gui::TControl& s) { ImageEx3MouseEnter(s); };
  ImageEx2.OnMouseLeave = [this](gui::TControl& s) { ImageEx2MouseLeave(s); };
  ImageEx3.OnMouseLeave = [this](gui::TControl& s) { ImageEx3MouseLeave(s); };
  ImageEx2.OnClick = [this] { ImageEx2Click(); };
  ImageEx3.OnClick = [this] { ImageEx3Click(); };
  auto down = [this](gui::TControl& s, gui::TMouseButton b, gui::TShiftState sh, int x, int y) {
    Image1MouseDown(s, b, sh, x, y);
  };
  auto move = [this](gui::TControl& s, gui::TShiftState sh, int x, int y) {
    Image1MouseMove(s, sh, x, y);
  };
  Image1.OnMouseDown = down;
  Image1.OnMouseMove = move;
  StatusBar_State.OnMouseDown = down;
  StatusBar_State.OnMouseMove = move;
  Label32.OnClick = [this] { Label32Click(); };
  Label31.OnClick = [this] { Label31Click(); };
}

}  // namespace app
