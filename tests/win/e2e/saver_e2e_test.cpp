// Orvane.scr itself, started the way the display settings start it.
#include <gtest/gtest.h>

#include <cstdio>

#include "saver_driver.h"
#include "stand_in_registry.h"

namespace {

constexpr DWORD minus_one = 0xFFFFFFFF;
constexpr DWORD start_ms = 20000;  // wine and the picture reader are slow on a cold start
constexpr DWORD end_ms = 10000;
const char install_folder[] = "C:\\Program Files\\Orvane\\";
const char app_defaults[] = "Software\\Wine\\AppDefaults\\Orvane.scr";
const char desktop_key[] = "Control Panel\\Desktop";

std::string saver_path() { return driver_folder() + "Orvane.scr"; }

class SaverEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(saver_windows().empty()) << "a saver from an earlier test is still up";
    delete_registry_key(stand_in_key);
    SetCursorPos(400, 300);
    pump(50);
  }
  void TearDown() override { delete_registry_key(stand_in_key); }

  // The saver's window once its creation is through (it turns visible when
  // the scene is set up) and it has the foreground, so input reaches it.
  static HWND wait_for_saver_window(saver_process& saver) {
    HWND found = nullptr;
    wait_until(start_ms, [&] {
      std::vector<HWND> windows = saver_windows();
      if (!windows.empty() && IsWindowVisible(windows[0]) && GetForegroundWindow() == windows[0])
        found = windows[0];
      return found || !saver.running();
    });
    return found;
  }

  // Not black, and different a moment later.
  static void expect_drawing(const RECT& area) {
    std::vector<uint32_t> before = capture(area);
    pump(400);
    std::vector<uint32_t> after = capture(area);
    ASSERT_FALSE(after.empty());
    EXPECT_GT(lit_pixels(after), static_cast<int>(after.size() / 100));
    EXPECT_GT(changed_pixels(before, after), static_cast<int>(after.size() / 1000));
  }

  // Runs a tail that must end at once with code and show no saver window.
  static void expect_quiet_end(const std::string& tail, DWORD code) {
    saver_process saver(saver_path(), tail);
    ASSERT_TRUE(saver.started());
    bool window_seen = false;
    wait_until(end_ms, [&] {
      window_seen = window_seen || !saver_windows().empty();
      return !saver.running();
    });
    EXPECT_EQ(code, saver.wait_exit(0)) << '"' << tail << '"';
    EXPECT_FALSE(window_seen) << '"' << tail << '"';
  }
};

}  // namespace

TEST_F(SaverEndToEnd, FullScreenCoversTheScreenDrawsAndEndsOnAKey) {
  saver_process saver(saver_path(), " /s");
  ASSERT_TRUE(saver.started());
  HWND window = wait_for_saver_window(saver);
  ASSERT_TRUE(window) << "exit code " << saver.wait_exit(0);

  RECT rect;
  GetWindowRect(window, &rect);
  RECT screen = virtual_screen();
  EXPECT_TRUE(EqualRect(&rect, &screen));
  LONG style = GetWindowLongA(window, GWL_STYLE);
  EXPECT_EQ(WS_POPUP | WS_VISIBLE, style & (WS_POPUP | WS_VISIBLE | WS_CHILD | WS_CAPTION));
  EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(0u, GetClassLongPtrA(window, GCLP_HICON));
  pump(500);
  expect_drawing(screen);

  press_key(VK_SPACE);
  EXPECT_EQ(0u, saver.wait_exit(end_ms));
  EXPECT_TRUE(saver_windows().empty());
}

TEST(SaverResources, IconGroupNameAndManifestButNoDialog) {
  HMODULE saver = LoadLibraryExA(saver_path().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(saver);
  EXPECT_TRUE(FindResourceA(saver, MAKEINTRESOURCEA(113), MAKEINTRESOURCEA(14)));  // RT_GROUP_ICON
  // The window class asks for icon 100 and so goes without one.
  EXPECT_FALSE(FindResourceA(saver, MAKEINTRESOURCEA(100), MAKEINTRESOURCEA(14)));
  EXPECT_FALSE(FindResourceA(saver, MAKEINTRESOURCEA(2003), MAKEINTRESOURCEA(5)));  // RT_DIALOG
  char name[32] = {};
  LoadStringA(saver, 1, name, sizeof name);
  EXPECT_STREQ("Orvane", name);

  HRSRC manifest = FindResourceA(saver, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
  ASSERT_TRUE(manifest);
  const char* text = static_cast<const char*>(LockResource(LoadResource(saver, manifest)));
  std::string xml(text, SizeofResource(saver, manifest));
  EXPECT_NE(std::string::npos, xml.find(">PerMonitorV2, PerMonitor<"));
  EXPECT_NE(std::string::npos, xml.find(">true/pm<"));
  FreeLibrary(saver);
}

// Explorer's Details tab and the installer read these. version.dll is looked
// up at run time so this test needs nothing beyond what it links already.
TEST(SaverResources, VersionBlockNamesOrvaneItsVersionAndTheLicence) {
  HMODULE version_dll = LoadLibraryA("version.dll");
  ASSERT_TRUE(version_dll);
  using size_fn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
  using info_fn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
  using query_fn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
  auto info_size =
      reinterpret_cast<size_fn>(GetProcAddress(version_dll, "GetFileVersionInfoSizeA"));
  auto info = reinterpret_cast<info_fn>(GetProcAddress(version_dll, "GetFileVersionInfoA"));
  auto query = reinterpret_cast<query_fn>(GetProcAddress(version_dll, "VerQueryValueA"));
  ASSERT_TRUE(info_size && info && query);

  DWORD size = info_size(saver_path().c_str(), nullptr);
  ASSERT_GT(size, 0u) << "no version block";
  std::vector<char> block(size);
  ASSERT_TRUE(info(saver_path().c_str(), 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(query(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
  EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
  EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
  char numbers[32];
  snprintf(numbers, sizeof numbers, "%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
           LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS));
  EXPECT_NE(0u, fixed->dwFileVersionMS | fixed->dwFileVersionLS);

  WORD* translation = nullptr;
  ASSERT_TRUE(query(block.data(), "\\VarFileInfo\\Translation",
                    reinterpret_cast<void**>(&translation), &length));
  ASSERT_GE(length, 4u);
  auto text = [&](const char* name) {
    char key[96];
    snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1],
             name);
    char* value = nullptr;
    UINT chars = 0;
    if (!query(block.data(), key, reinterpret_cast<void**>(&value), &chars) || !value)
      return std::string("(missing)");
    return std::string(value);
  };
  EXPECT_EQ("Orvane", text("FileDescription"));
  EXPECT_EQ("Orvane", text("ProductName"));
  // The strings and the numbers must tell the same version.
  EXPECT_EQ(numbers, text("FileVersion"));
  EXPECT_EQ(numbers, text("ProductVersion"));
  EXPECT_NE(std::string::npos, text("LegalCopyright").find("MIT")) << text("LegalCopyright");
  FreeLibrary(version_dll);
}

TEST_F(SaverEndToEnd, EverySpellingOfTheSwitchStartsTheSaverAndAClickEndsIt) {
  for (const char* tail : {" -s", " s", " -/S"}) {
    saver_process saver(saver_path(), tail);
    ASSERT_TRUE(wait_for_saver_window(saver)) << tail;
    pump(300);
    click();
    EXPECT_EQ(0u, saver.wait_exit(end_ms)) << tail;
  }
}

TEST_F(SaverEndToEnd, FourPixelsOfPointerMovementAreNotEnoughFiveAre) {
  saver_process saver(saver_path(), " /s");
  ASSERT_TRUE(wait_for_saver_window(saver));
  pump(500);
  SetCursorPos(403, 301);
  EXPECT_EQ(STILL_ACTIVE, saver.wait_exit(1000));
  SetCursorPos(404, 301);
  EXPECT_EQ(0u, saver.wait_exit(end_ms));
}

TEST_F(SaverEndToEnd, ASecondSaverLeavesTheFirstAlone) {
  saver_process first(saver_path(), " /s");
  ASSERT_TRUE(wait_for_saver_window(first));
  {
    saver_process second(saver_path(), " /s");
    EXPECT_EQ(0u, second.wait_exit(start_ms));
  }
  EXPECT_EQ(1u, saver_windows().size());
  EXPECT_TRUE(first.running());
  press_key(VK_RETURN);
  EXPECT_EQ(0u, first.wait_exit(end_ms));
}

TEST_F(SaverEndToEnd, PreviewFillsItsParentIgnoresInputAndEndsWithIt) {
  HWND parent = CreateWindowExA(0, "STATIC", "preview parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                                40, 360, 280, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(parent);
  pump(200);
  saver_process saver(saver_path(), " /p " + std::to_string(reinterpret_cast<uintptr_t>(parent)));
  HWND child = nullptr;
  ASSERT_TRUE(wait_until(start_ms, [&] {
    child = FindWindowExA(parent, nullptr, "WindowsScreenSaverClass", "Preview");
    if (child && !IsWindowVisible(child)) child = nullptr;
    return child || !saver.running();
  }));
  ASSERT_TRUE(child) << "exit code " << saver.wait_exit(0);

  RECT parent_client, child_rect;
  GetClientRect(parent, &parent_client);
  GetClientRect(child, &child_rect);
  EXPECT_TRUE(EqualRect(&parent_client, &child_rect));
  EXPECT_TRUE(GetWindowLongA(child, GWL_STYLE) & WS_CHILD);
  EXPECT_TRUE(saver_windows().empty());

  // Wine shows no OpenGL drawing in a child window of another process, so
  // the preview's frames are checked in-process by the host tests instead.
  pump(500);
  POINT origin = {0, 0};
  ClientToScreen(parent, &origin);

  PostMessageA(child, WM_KEYDOWN, VK_SPACE, 0);
  PostMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  PostMessageA(child, WM_ACTIVATEAPP, FALSE, 0);
  press_key(VK_SPACE);
  SetCursorPos(origin.x + 30, origin.y + 30);
  SetCursorPos(origin.x + 90, origin.y + 70);
  EXPECT_EQ(STILL_ACTIVE, saver.wait_exit(1000));
  EXPECT_TRUE(IsWindow(child));

  DestroyWindow(parent);
  EXPECT_EQ(0u, saver.wait_exit(end_ms));
}

TEST_F(SaverEndToEnd, BadPreviewParentsEndWithMinusOne) {
  for (const char* tail : {" /p 0", " /p abc", " /p:123", " /p"}) expect_quiet_end(tail, minus_one);
}

TEST_F(SaverEndToEnd, ConfigurationUnknownSwitchesAndPasswordChangeEndWithMinusOne) {
  HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  std::string with_owner = " /c:" + std::to_string(reinterpret_cast<uintptr_t>(owner));
  for (const std::string& tail :
       {std::string(" /c"), with_owner, std::string(""), std::string("   "), std::string(" -/ /- "),
        std::string(" /x"), std::string(" /a")})
    expect_quiet_end(tail, minus_one);
  DestroyWindow(owner);
}

TEST_F(SaverEndToEnd, AMissingPictureEndsWithCodeOneAndSaysWhy) {
  file_hidden picture(std::string(install_folder) + "Orvane.ppm");
  ASSERT_TRUE(picture.hidden());
  saver_process saver(saver_path(), " /s");
  EXPECT_EQ(1u, saver.wait_exit(start_ms));
  EXPECT_NE(std::string::npos, saver.standard_error().find("Texture setup error. main.cpp, "))
      << saver.standard_error();
}

TEST_F(SaverEndToEnd, AMissingTuneLeavesTheSaverRunning) {
  file_hidden tune(std::string(install_folder) + "music.mid");
  ASSERT_TRUE(tune.hidden());
  saver_process saver(saver_path(), " /s");
  ASSERT_TRUE(wait_for_saver_window(saver));
  pump(500);
  expect_drawing(virtual_screen());
  press_key(VK_SPACE);
  EXPECT_EQ(0u, saver.wait_exit(end_ms));
}

// How often the middle of the screen changes: a floor for the frame rate.
TEST_F(SaverEndToEnd, FrameRateAsSeenOnScreen) {
  saver_process saver(saver_path(), " /s");
  ASSERT_TRUE(wait_for_saver_window(saver));
  pump(1000);
  RECT screen = virtual_screen();
  RECT middle = {(screen.left + screen.right) / 2 - 48, (screen.top + screen.bottom) / 2 - 48,
                 (screen.left + screen.right) / 2 + 48, (screen.top + screen.bottom) / 2 + 48};
  std::vector<uint32_t> last = capture(middle);
  int changes = 0, samples = 0;
  DWORD start = GetTickCount();
  while (GetTickCount() - start < 3000) {
    std::vector<uint32_t> now = capture(middle);
    ++samples;
    if (changed_pixels(last, now) > 0) ++changes;
    last.swap(now);
  }
  std::printf("[ MEASURE  ] screen changes per second: %.1f (%d samples in 3 s)\n", changes / 3.0,
              samples);
  EXPECT_GT(changes, 0);
  press_key(VK_SPACE);
  EXPECT_EQ(0u, saver.wait_exit(end_ms));
}

// The 95/98/Me family, as wine reports it to a program told to be Windows 98.
namespace {

class LegacyFamily : public SaverEndToEnd {
 protected:
  void SetUp() override {
    SaverEndToEnd::SetUp();
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    folder = std::string(temp) + "orvane-legacy\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(saver_path().c_str(), (folder + "Orvane.scr").c_str(), FALSE));
  }
  void TearDown() override {
    for (const char* name : {"Orvane.scr", "PASSWORD.CPL", "MPR.DLL"})
      DeleteFileA((folder + name).c_str());
    RemoveDirectoryA(folder.c_str());
    SaverEndToEnd::TearDown();
  }
  void add_stand_in(const char* name) {
    ASSERT_TRUE(CopyFileA((driver_folder() + "stand-ins\\" + name).c_str(), (folder + name).c_str(),
                          FALSE));
  }
  std::string saver() const { return folder + "Orvane.scr"; }

  std::string folder;
  registry_override version{app_defaults, "Version", std::string("win98")};
};

}  // namespace

TEST_F(LegacyFamily, RefusedPasswordKeepsTheSaverAndQuickRetriesAreNotAsked) {
  add_stand_in("PASSWORD.CPL");
  registry_override use_password(desktop_key, "ScreenSaveUsePassword", 1);
  // Refuse (and press a key at once), refuse, accept.
  registry_override script(stand_in_key, "Verdicts", std::string("k01"));

  saver_process process(saver(), " /s");
  ASSERT_TRUE(wait_for_saver_window(process));
  pump(500);
  auto calls = [] { return read_registry_number(stand_in_key, "Calls", 0); };

  press_key(VK_SPACE);
  ASSERT_TRUE(wait_until(end_ms, [&] { return calls() >= 1; }));
  // The key queued by the refusal came within 200 ms and was refused unasked.
  pump(600);
  EXPECT_EQ(1u, calls());
  EXPECT_TRUE(process.running());
  expect_drawing(virtual_screen());

  press_key(VK_SPACE);
  ASSERT_TRUE(wait_until(end_ms, [&] { return calls() >= 2; }));
  pump(400);
  EXPECT_TRUE(process.running());

  press_key(VK_SPACE);
  EXPECT_EQ(0u, process.wait_exit(end_ms));
  EXPECT_EQ(3u, calls());
}

TEST_F(LegacyFamily, ASecondSaverBringsTheFirstForward) {
  add_stand_in("PASSWORD.CPL");
  registry_override use_password(desktop_key, "ScreenSaveUsePassword", 1);
  // Every close is refused, so the saver outlives losing the foreground.
  registry_override script(stand_in_key, "Verdicts", std::string("0000000000000000"));

  saver_process first(saver(), " /s");
  HWND window = wait_for_saver_window(first);
  ASSERT_TRUE(window);
  HWND other = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "in front", WS_POPUP | WS_VISIBLE, 0, 0,
                               200, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetForegroundWindow(other);
  ASSERT_TRUE(wait_until(end_ms, [&] { return GetForegroundWindow() == other; }));
  ASSERT_TRUE(first.running());
  {
    saver_process second(saver(), " /s");
    EXPECT_EQ(0u, second.wait_exit(start_ms));
  }
  EXPECT_TRUE(wait_until(end_ms, [&] { return GetForegroundWindow() == window; }));
  EXPECT_EQ(1u, saver_windows().size());
  DestroyWindow(other);

  // Past the script: the next verification accepts.
  registry_override accept(stand_in_key, "Calls", 100u);
  pump(300);
  press_key(VK_SPACE);
  EXPECT_EQ(0u, first.wait_exit(end_ms));
}

TEST_F(LegacyFamily, WithoutAPasswordAKeyEndsTheSaver) {
  add_stand_in("PASSWORD.CPL");
  registry_override use_password(desktop_key, "ScreenSaveUsePassword", 0u);
  saver_process process(saver(), " /s");
  ASSERT_TRUE(wait_for_saver_window(process));
  pump(300);
  press_key(VK_SPACE);
  EXPECT_EQ(0u, process.wait_exit(end_ms));
  EXPECT_EQ(0u, read_registry_number(stand_in_key, "Calls", 0));
}

TEST_F(LegacyFamily, PasswordChangeAsksTheChangerWhenThereIsOne) {
  add_stand_in("MPR.DLL");
  {
    registry_override native(std::string(app_defaults) + "\\DllOverrides", "mpr",
                             std::string("native"));
    saver_process process(saver(), " /a");
    EXPECT_EQ(0u, process.wait_exit(start_ms));
    EXPECT_EQ("SCRSAVE", read_registry_text(stand_in_key, "PwdChange"));
  }
  delete_registry_key(stand_in_key);
  {
    registry_override missing(std::string(app_defaults) + "\\DllOverrides", "mpr", std::string(""));
    saver_process process(saver(), " /a 0");
    EXPECT_EQ(0u, process.wait_exit(start_ms));
    EXPECT_EQ("", read_registry_text(stand_in_key, "PwdChange"));
  }
}
