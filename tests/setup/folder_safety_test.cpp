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

// What Windows grants Users in "Program Files" (read and execute), and a typical "Modify".
constexpr DWORD kReadAndExecute = 0x1200A9;
constexpr DWORD kModify = 0x1301BF;

struct Sid {
    explicit Sid(const wchar_t* text) { EXPECT_TRUE(ConvertStringSidToSidW(text, &Value)) << text; }
    ~Sid() { LocalFree(Value); }
    Sid(const Sid&) = delete;
    Sid& operator=(const Sid&) = delete;
    PSID Value = nullptr;
};

struct Entry {
    const wchar_t* Account; // SDDL form: "BU" Users, "AU" Authenticated Users, "WD" Everyone...
    DWORD Rights;
    BYTE Flags;
};

struct SecurityCase {
    const char* label;
    const wchar_t* Owner;
    Entry Entries[2];
    bool OthersMayWrite;
};

class SecurityTest : public ::testing::TestWithParam<SecurityCase> {};

TEST_P(SecurityTest, TellsWhetherOthersMayWrite) {
    const SecurityCase& row = GetParam();
    union {
        ACL Header;
        BYTE Bytes[512];
    } dacl;
    ASSERT_TRUE(InitializeAcl(&dacl.Header, sizeof dacl, ACL_REVISION));
    for (const Entry& entry : row.Entries) {
        if (entry.Account == nullptr)
            continue;
        const Sid account(entry.Account);
        ASSERT_TRUE(AddAccessAllowedAceEx(&dacl.Header, ACL_REVISION, entry.Flags, entry.Rights,
                                          account.Value));
    }
    const Sid owner(row.Owner);
    const Sid setupUser(kSetupUser);
    EXPECT_EQ(SecurityLetsOthersWrite(owner.Value, &dacl.Header, setupUser.Value),
              row.OthersMayWrite);
}

constexpr BYTE kInheritOnly = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | INHERIT_ONLY_ACE;

INSTANTIATE_TEST_SUITE_P(
    Dacls, SecurityTest,
    ::testing::Values(
        // The folders a user makes under C:\ inherit "Authenticated Users: Modify".
        SecurityCase{"AuthenticatedUsersModify", L"BA", {{L"AU", kModify, 0}, {}}, true},
        SecurityCase{"UsersMayAddFiles", L"BA", {{L"BU", FILE_ADD_FILE, 0}, {}}, true},
        SecurityCase{"UsersMayDeleteChildren", L"BA", {{L"BU", FILE_DELETE_CHILD, 0}, {}}, true},
        SecurityCase{"InteractiveGenericWrite", L"BA", {{L"IU", GENERIC_WRITE, 0}, {}}, true},
        SecurityCase{"EveryoneMayChangeTheDacl", L"BA", {{L"WD", WRITE_DAC, 0}, {}}, true},
        SecurityCase{"AnotherUserFullControl", L"BA", {{kOtherUser, GENERIC_ALL, 0}, {}}, true},
        SecurityCase{"OwnedByAnotherUser", kOtherUser, {{L"BA", GENERIC_ALL, 0}, {}}, true},
        // As under "Program Files".
        SecurityCase{"UsersReadAndExecute",
                     L"BA",
                     {{L"BU", kReadAndExecute, 0}, {L"SY", FILE_ALL_ACCESS, 0}},
                     false},
        SecurityCase{"TrustedInstallerAndAdministrators",
                     kTrustedInstaller,
                     {{kTrustedInstaller, FILE_ALL_ACCESS, 0}, {L"BA", FILE_ALL_ACCESS, 0}},
                     false},
        SecurityCase{
            "TheSetupUserFullControl", kSetupUser, {{kSetupUser, GENERIC_ALL, 0}, {}}, false},
        // Applies only to what is made inside later, not to the folder itself.
        SecurityCase{"EveryoneInheritOnly", L"BA", {{L"WD", kModify, kInheritOnly}, {}}, false}),
    RowLabel());

TEST(SecurityTest, NullDaclLetsEveryoneWrite) {
    const Sid administrators(L"BA");
    EXPECT_TRUE(SecurityLetsOthersWrite(administrators.Value, nullptr, nullptr));
}

} // namespace
