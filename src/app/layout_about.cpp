// The About page: version, release date, supported systems and the links.

#include "app/frmmain.h"
#include "app/layout.h"

namespace app {

using namespace layout;

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

}  // namespace app
