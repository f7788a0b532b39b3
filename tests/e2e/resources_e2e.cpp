// What the system reads from Quorvel.exe without running it: the version
// resource, the icon and the manifest; and that the running window shows the
// same version.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/version.h"
#include "harness.h"
#include "running_quorvel.h"

namespace e2e {
namespace {

namespace ids = app::ids;

class VersionBlock {
 public:
  explicit VersionBlock(const std::string& file) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
    if (size == 0) return;
    data_.resize(size);
    if (!GetFileVersionInfoA(file.c_str(), 0, size, data_.data())) data_.clear();
  }
  bool Loaded() const { return !data_.empty(); }
  const VS_FIXEDFILEINFO* Fixed() {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data_.data(), "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) {
      return nullptr;
    }
    return static_cast<const VS_FIXEDFILEINFO*>(value);
  }
  // A string of the language and code page the translation table names
  // first, as Explorer's property page looks it up.
  std::string String(const char* name) {
    struct Translation {
      WORD language;
      WORD codePage;
    };
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data_.data(), "\\VarFileInfo\\Translation", &value, &length) ||
        length < sizeof(Translation)) {
      return "<no translation table>";
    }
    const auto* t = static_cast<const Translation*>(value);
    char path[128];
    wsprintfA(path, "\\StringFileInfo\\%04x%04x\\%s", t->language, t->codePage, name);
    if (!VerQueryValueA(data_.data(), path, &value, &length) || length == 0) return "<missing>";
    return static_cast<const char*>(value);
  }

 private:
  std::vector<char> data_;
};

DWORD Pack(int high, int low) { return static_cast<DWORD>(high) << 16 | static_cast<DWORD>(low); }

TEST(Resources, VersionResourceReadsBackThroughTheVersionApi) {
  VersionBlock block(QuorvelExePath());
  ASSERT_TRUE(block.Loaded()) << "GetFileVersionInfoA failed on " << QuorvelExePath();
  const VS_FIXEDFILEINFO* fixed = block.Fixed();
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, Pack(QUORVEL_VERSION_MAJOR, QUORVEL_VERSION_MINOR));
  EXPECT_EQ(fixed->dwFileVersionLS, Pack(QUORVEL_VERSION_PATCH, QUORVEL_VERSION_BUILD));
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));

  EXPECT_EQ(block.String("ProductName"), "Quorvel");
  EXPECT_EQ(block.String("FileVersion"), QUORVEL_VERSION_TEXT);
  EXPECT_EQ(block.String("ProductVersion"), QUORVEL_VERSION_TEXT);
  EXPECT_EQ(block.String("OriginalFilename"), "Quorvel.exe");
  EXPECT_EQ(block.String("FileDescription"), QUORVEL_FILE_DESCRIPTION);
  EXPECT_EQ(block.String("CompanyName"), QUORVEL_COMPANY_NAME);
  EXPECT_EQ(block.String("LegalCopyright"), QUORVEL_COPYRIGHT);
  EXPECT_NE(block.String("LegalCopyright").find("quorvel.example.com"), std::string::npos);
}

// The icon and the manifest, read as data the way Explorer and the loader do.
TEST(Resources, IconAndManifestAreEmbedded) {
  HMODULE exe = LoadLibraryExA(QuorvelExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  EXPECT_NE(FindResourceA(exe, MAKEINTRESOURCEA(1), RT_GROUP_ICON), nullptr)
      << "Explorer shows the first icon group of an exe";
  for (int size : {16, 32, 48}) {
    HICON icon = static_cast<HICON>(LoadImageA(exe, MAKEINTRESOURCEA(1), IMAGE_ICON, size, size, 0));
    ASSERT_NE(icon, nullptr) << size << " pixels";
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bitmap = {};
    GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, size) << "an image of its own at " << size << " pixels";
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }

  HRSRC found = FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(found, nullptr) << "no application manifest";
  const char* text = static_cast<const char*>(LockResource(LoadResource(exe, found)));
  const std::string manifest(text, SizeofResource(exe, found));
  EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
  EXPECT_NE(manifest.find("version=\"" QUORVEL_VERSION_TEXT "." ), std::string::npos)
      << "the manifest's assembly version comes from the version header";
  // Vista and Windows 10 as two samples of the supported systems.
  EXPECT_NE(manifest.find("{e2011457-1546-43c5-a5fe-008deee3d3f0}"), std::string::npos);
  EXPECT_NE(manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos);
  FreeLibrary(exe);
}

using RunningResources = RunningQuorvel;

TEST_F(RunningResources, AboutPageShowsTheVersionOfTheResource) {
  VersionBlock block(QuorvelExePath());
  ASSERT_TRUE(block.Loaded());
  HWND label = Control(ids::kLabelVersion);
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(WindowText(label), "Version: " + block.String("FileVersion"));

  // The window's own icons cannot be read from here: Wine answers WM_GETICON
  // and GetClassLongPtr for another process's window with 0, even for an icon
  // that window has just been given. The icon's resources are checked above.
}

}  // namespace
}  // namespace e2e
