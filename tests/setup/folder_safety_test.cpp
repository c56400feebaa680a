// Which security lets users other than the administrators replace the DLL, on DACLs built in
// memory: Wine derives a file's DACL from its Unix mode and so shows only the owner, SYSTEM and
// Everyone (the registration tests make a real folder writable by Everyone).
#include "setup/folder_safety.h"

#include <sddl.h>

#include <gtest/gtest.h>

#include "tests/support/row_label.h"

namespace {

constexpr wchar_t kSetupUser[] = L"S-1-5-21-1-2-3-1001";
constexpr wchar_t kOtherUser[] = L"S-1-5-21-1-2-3-1002";
constexpr wchar_t kTrustedInstaller[] =
    L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
// What Windows grants Users under "Program Files", and Authenticated Users under "C:\".
constexpr DWORD kReadAndExecute = 0x1200A9;
constexpr DWORD kModify = 0x1301BF;
constexpr BYTE kInheritOnly = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | INHERIT_ONLY_ACE;

struct SecurityCase {
    const char* label;
    const wchar_t* Owner;   // SDDL: "BA" Administrators, "BU" Users, "AU" Authenticated Users,
    const wchar_t* Account; // "IU" INTERACTIVE, "WD" Everyone, or a SID
    DWORD Rights;
    BYTE Flags;
    bool OthersMayWrite;
};

class SecurityTest : public ::testing::TestWithParam<SecurityCase> {};

TEST_P(SecurityTest, TellsWhetherOthersMayWrite) {
    PSID owner = nullptr, account = nullptr, setupUser = nullptr;
    ASSERT_TRUE(ConvertStringSidToSidW(GetParam().Owner, &owner));
    ASSERT_TRUE(ConvertStringSidToSidW(GetParam().Account, &account));
    ASSERT_TRUE(ConvertStringSidToSidW(kSetupUser, &setupUser));
    union {
        ACL Header;
        BYTE Bytes[256];
    } dacl;
    ASSERT_TRUE(InitializeAcl(&dacl.Header, sizeof dacl, ACL_REVISION));
    ASSERT_TRUE(AddAccessAllowedAce(&dacl.Header, ACL_REVISION, FILE_ALL_ACCESS, setupUser));
    ASSERT_TRUE(AddAccessAllowedAceEx(&dacl.Header, ACL_REVISION, GetParam().Flags,
                                      GetParam().Rights, account));
    EXPECT_EQ(SecurityLetsOthersWrite(owner, &dacl.Header, setupUser), GetParam().OthersMayWrite);
    EXPECT_TRUE(SecurityLetsOthersWrite(owner, nullptr, setupUser)) << "a null DACL";
    LocalFree(owner);
    LocalFree(account);
    LocalFree(setupUser);
}

INSTANTIATE_TEST_SUITE_P(
    Dacls, SecurityTest,
    ::testing::Values(SecurityCase{"AuthenticatedUsersModify", L"BA", L"AU", kModify, 0, true},
                      SecurityCase{"UsersMayAddFiles", L"BA", L"BU", FILE_ADD_FILE, 0, true},
                      SecurityCase{"InteractiveGenericWrite", L"BA", L"IU", GENERIC_WRITE, 0, true},
                      SecurityCase{"EveryoneMayChangeTheDacl", L"BA", L"WD", WRITE_DAC, 0, true},
                      SecurityCase{"OwnedByAnotherUser", kOtherUser, L"BA", GENERIC_ALL, 0, true},
                      SecurityCase{"UsersReadAndExecute", L"BA", L"BU", kReadAndExecute, 0, false},
                      SecurityCase{"TrustedInstaller", kTrustedInstaller, kTrustedInstaller,
                                   GENERIC_ALL, 0, false},
                      SecurityCase{"System", L"SY", L"SY", FILE_ALL_ACCESS, 0, false},
                      // Applies only to what is made inside later, not to the folder itself.
                      SecurityCase{"EveryoneInheritOnly", L"BA", L"WD", kModify, kInheritOnly,
                                   false}),
    RowLabel());

} // namespace
