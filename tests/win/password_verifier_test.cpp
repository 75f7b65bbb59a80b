// Loading and releasing the password verifier of the 95/98/Me family, and the
// saver-running mark that goes with it.
#include "host_state.h"
#include "legacy_family.h"
#include "saver_host.h"

namespace {

using PasswordVerifier = LegacyFamily;

// A folder whose PASSWORD.CPL is a library without the verifying entry.
class scratch_folder {
 public:
  scratch_folder() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    path = std::string(temp) + "orvane-verifier-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(path.c_str(), nullptr);
  }
  ~scratch_folder() {
    DeleteFileA((path + "PASSWORD.CPL").c_str());
    RemoveDirectoryA(path.c_str());
  }
  std::string path;
};

}  // namespace

TEST_F(PasswordVerifier, ASetPasswordLoadsTheVerifierAndMarksTheSaverRunningUntilReleased) {
  load_libraries_from(stand_in_folder());
  use_password(1);
  load_password_verifier();
  EXPECT_TRUE(verifier_module);
  EXPECT_TRUE(verify_password);
  EXPECT_TRUE(saver_running_mark());

  unload_password_verifier();
  EXPECT_EQ(nullptr, verifier_module);
  EXPECT_EQ(nullptr, verify_password);
  EXPECT_FALSE(saver_running_mark());
  EXPECT_EQ(nullptr, GetModuleHandleA("PASSWORD.CPL"));
}

TEST_F(PasswordVerifier, NoPasswordNoKeyNoLibraryOrNoEntryMeansNoVerifierAndNoMark) {
  load_libraries_from(stand_in_folder());
  load_password_verifier();  // the hive has no "Control Panel\Desktop" at all
  EXPECT_EQ(nullptr, verifier_module);
  EXPECT_FALSE(saver_running_mark());

  use_password(0);
  load_password_verifier();
  EXPECT_EQ(nullptr, verifier_module);

  scratch_folder folder;
  load_libraries_from(folder.path);  // no PASSWORD.CPL anywhere
  use_password(1);
  load_password_verifier();
  EXPECT_EQ(nullptr, verifier_module);
  EXPECT_EQ(nullptr, verify_password);
  EXPECT_FALSE(saver_running_mark());

  // A PASSWORD.CPL that cannot verify is loaded, found wanting and released.
  ASSERT_TRUE(CopyFileA((stand_in_folder() + "MPR.DLL").c_str(),
                        (folder.path + "PASSWORD.CPL").c_str(), FALSE));
  load_password_verifier();
  EXPECT_EQ(nullptr, verifier_module);
  EXPECT_EQ(nullptr, verify_password);
  EXPECT_EQ(nullptr, GetModuleHandleA("PASSWORD.CPL"));
  EXPECT_FALSE(saver_running_mark());
}
