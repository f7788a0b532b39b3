#include "settings/pagefile.h"

#include <gtest/gtest.h>

#include "app/frmmain.h"
#include "app/program_fixture.h"

namespace app {
namespace {

constexpr const char* kMemoryKey =
    "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";

std::vector<std::uint8_t> MultiSz(const std::string& s) {
  std::vector<std::uint8_t> v(s.begin(), s.end());
  v.push_back(0);
  v.push_back(0);
  return v;
}

class PageFile : public testing::ProgramTest {
 protected:
  void SetUp() override {
    // A list naming page files on two drives, as REG_MULTI_SZ.
    std::vector<std::uint8_t> two = MultiSz("C:\\pagefile.sys 512 1024");
    two.pop_back();
    const std::string second = "E:\\pagefile.sys 256 512";
    two.insert(two.end(), second.begin(), second.end());
    two.push_back(0);
    two.push_back(0);
    os.SetValue(kMemoryKey, "PagingFiles", platform::kRegMultiSz, two);
    StartProgram();
    ASSERT_TRUE(started);
    backend.ClearBoxes();
  }
  void Click() { program->App().Dispatch([&] { Form().SpeedButton_SetVM.Click(); }); }
  std::optional<platform::SimRegValue> Value() { return os.GetValue(kMemoryKey, "PagingFiles"); }
};

TEST_F(PageFile, ReplacesTheWholeListWithOneSystemManagedFile) {
  os.windowsDirectory = "D:\\WINNT";
  backend.ScriptAnswer(gui::mrOk);
  Click();
  const auto v = Value();
  ASSERT_TRUE(v);
  EXPECT_EQ(v->type, platform::kRegMultiSz);
  EXPECT_EQ(v->data, MultiSz("D:\\pagefile.sys 0 0"));
  ASSERT_EQ(backend.Boxes().size(), 2u);
  EXPECT_EQ(backend.Boxes()[0].text,
            "Do you wish to let system automatically manage the size of virtual memory?");
  EXPECT_EQ(backend.Boxes()[0].caption, "Confirm");
  EXPECT_EQ(backend.Boxes()[0].style, gui::mb::kOkCancel | gui::mb::kIconQuestion);
  EXPECT_EQ(backend.Boxes()[1].text,
            "Virtual memory configure successfully. Please restart your PC to enable the "
            "changed configuration.");
  EXPECT_EQ(backend.Boxes()[1].caption, "Information");
}

TEST_F(PageFile, DriveCGivesTwentyOneBytesAndTwiceWritesTheSameTwice) {
  for (int i = 0; i < 2; ++i) {
    backend.ScriptAnswer(gui::mrOk);
    Click();
    EXPECT_EQ(Value()->data.size(), 21u);
    EXPECT_EQ(Value()->data, MultiSz("C:\\pagefile.sys 0 0"));
  }
  ASSERT_EQ(backend.Boxes().size(), 4u);
  EXPECT_EQ(backend.Boxes()[3].caption, "Information") << "the notice both times";
  EXPECT_EQ(os.CountCalls("RegSetValueExA(PagingFiles)"), 2u);
}

TEST_F(PageFile, CancelOrAKeyThatRefusesChangesNothingSilently) {
  const auto before = Value();
  backend.ScriptAnswer(gui::mrCancel);
  Click();
  EXPECT_EQ(Value(), before);
  EXPECT_EQ(backend.Boxes().size(), 1u);

  os.RefuseFullAccess(kMemoryKey);
  backend.ScriptAnswer(gui::mrOk);
  Click();
  EXPECT_EQ(Value(), before);
  EXPECT_EQ(backend.Boxes().size(), 2u) << "no notice after a refused open";

  os.AddKey(kMemoryKey);
  os.Fail("RegSetValueExA", platform::kErrorAccessDenied);
  backend.ScriptAnswer(gui::mrOk);
  Click();
  EXPECT_EQ(backend.Boxes().size(), 3u) << "no notice after a failed write";
  for (const std::string& h : os.OpenHandles()) EXPECT_NE(h.rfind("key ", 0), 0u) << h;
}

TEST_F(PageFile, MissingKeyIsNotCreated) {
  os.RemoveKey(kMemoryKey);
  backend.ScriptAnswer(gui::mrOk);
  Click();
  EXPECT_FALSE(os.KeyExists(kMemoryKey));
}

TEST_F(PageFile, AWindowsDirectoryWithoutADriveWritesNothing) {
  const auto before = Value();
  for (const char* dir : {"", "\\\\server\\windows", "C"}) {
    os.windowsDirectory = dir;
    backend.ScriptAnswer(gui::mrOk);
    Click();
    EXPECT_EQ(Value(), before) << '"' << dir << '"';
  }
}

TEST(WindowsDir, EndsInABackslashOnce) {
  platform::SimOs os;
  os.windowsDirectory = "C:\\WINDOWS";
  EXPECT_EQ(settings::GetWindowsDir(os), "C:\\WINDOWS\\");
  os.windowsDirectory = "C:\\";
  EXPECT_EQ(settings::GetWindowsDir(os), "C:\\");
  os.windowsDirectory = std::string(300, 'x');
  EXPECT_EQ(settings::GetWindowsDir(os), "") << "a directory longer than the buffer";
  os.Fail("GetWindowsDirectoryA", 5);
  EXPECT_EQ(settings::GetWindowsDir(os), "");
}

}  // namespace
}  // namespace app
