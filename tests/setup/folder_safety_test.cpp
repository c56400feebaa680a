// Which security lets accounts other than the administrators replace the DLL, on DACLs built
// in memory: Wine derives a file's DACL from its Unix mode and gives every file to the
// signed-in account, so it shows only that account, SYSTEM and Everyone (the registration
// tests make real folders writable by Everyone).
#include "setup/folder_safety.h"

#include <sddl.h>

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/row_label.h"

namespace {

constexpr wchar_t kInstallingUser[] = L"S-1-5-21-1-2-3-1001";
constexpr wchar_t kTrustedInstaller[] =
    L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
// What Windows grants Users under "Program Files", and Authenticated Users under "C:\".
constexpr DWORD kReadAndExecute = 0x1200A9;
constexpr DWORD kModify = 0x1301BF;
constexpr BYTE kInheritOnly = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | INHERIT_ONLY_ACE;

// The rights one account holds on an object owned by another, read through RightsOfOthers.
ObjectRights Rights(const wchar_t* owner, const wchar_t* account, DWORD rights, BYTE flags = 0) {
    PSID ownerSid = nullptr;
    PSID accountSid = nullptr;
    PSID systemSid = nullptr;
    EXPECT_TRUE(ConvertStringSidToSidW(owner, &ownerSid));
    EXPECT_TRUE(ConvertStringSidToSidW(account, &accountSid));
    EXPECT_TRUE(ConvertStringSidToSidW(L"SY", &systemSid));
    union {
        ACL Header;
        BYTE Bytes[256];
    } dacl;
    EXPECT_TRUE(InitializeAcl(&dacl.Header, sizeof dacl, ACL_REVISION));
    EXPECT_TRUE(AddAccessAllowedAce(&dacl.Header, ACL_REVISION, FILE_ALL_ACCESS, systemSid));
    EXPECT_TRUE(AddAccessAllowedAceEx(&dacl.Header, ACL_REVISION, flags, rights, accountSid));
    const ObjectRights read = RightsOfOthers(ownerSid, &dacl.Header);
    LocalFree(ownerSid);
    LocalFree(accountSid);
    LocalFree(systemSid);
    return read;
}

struct SecurityCase {
    const char* label;
    const wchar_t* Owner;   // SDDL: "BA" Administrators, "BU" Users, "AU" Authenticated Users,
    const wchar_t* Account; // "IU" INTERACTIVE, "WD" Everyone, or a SID
    DWORD Rights;
    BYTE Flags;
    DWORD Untrusted;
    bool UntrustedOwner;
};

class SecurityTest : public ::testing::TestWithParam<SecurityCase> {};

TEST_P(SecurityTest, TellsTheRightsOfOthers) {
    const SecurityCase& row = GetParam();
    const ObjectRights read = Rights(row.Owner, row.Account, row.Rights, row.Flags);
    EXPECT_EQ(read.Untrusted, row.Untrusted);
    EXPECT_EQ(read.UntrustedOwner, row.UntrustedOwner);
    PSID owner = nullptr;
    ASSERT_TRUE(ConvertStringSidToSidW(L"BA", &owner));
    EXPECT_EQ(RightsOfOthers(owner, nullptr).Untrusted, static_cast<DWORD>(GENERIC_ALL))
        << "a null DACL lets everyone do anything";
    LocalFree(owner);
}

INSTANTIATE_TEST_SUITE_P(
    Dacls, SecurityTest,
    ::testing::Values(
        SecurityCase{"AuthenticatedUsersModify", L"BA", L"AU", kModify, 0, kModify, false},
        SecurityCase{"UsersReadAndExecute", L"BA", L"BU", kReadAndExecute, 0, kReadAndExecute,
                     false},
        // The account that runs the setup is no administrator once it runs unelevated.
        SecurityCase{"TheInstallingUser", kInstallingUser, kInstallingUser, FILE_ALL_ACCESS, 0,
                     FILE_ALL_ACCESS, true},
        SecurityCase{"TrustedInstaller", kTrustedInstaller, kTrustedInstaller, GENERIC_ALL, 0, 0,
                     false},
        SecurityCase{"Administrators", L"BA", L"BA", GENERIC_ALL, 0, 0, false},
        // Applies only to what is made inside later, not to the object itself.
        SecurityCase{"EveryoneInheritOnly", L"BA", L"WD", kModify, kInheritOnly, 0, false}),
    RowLabel());

// One chain from the DLL up to the root, each object given by the rights of others on it.
struct ChainCase {
    const char* label;
    std::vector<ObjectRights> Chain; // the DLL, its folder, the folders above
    int FirstUnsafe;
};

class ChainTest : public ::testing::TestWithParam<ChainCase> {};

TEST_P(ChainTest, FindsTheFirstObjectThatLetsOthersReplaceTheDll) {
    const ChainCase& row = GetParam();
    EXPECT_EQ(FirstUnsafeInChain(row.Chain.data(), static_cast<int>(row.Chain.size())),
              row.FirstUnsafe);
}

constexpr ObjectRights kSafe{kReadAndExecute, false};
// Windows' own root: Authenticated Users may add folders to it, nothing more.
constexpr ObjectRights kRoot{kReadAndExecute | FILE_ADD_SUBDIRECTORY, false};
constexpr ObjectRights kEveryoneModifies{kModify, false};
constexpr ObjectRights kOwnedByUser{0, true};

INSTANTIATE_TEST_SUITE_P(
    Chains, ChainTest,
    ::testing::Values(
        ChainCase{"ProgramFiles", {kSafe, kSafe, kSafe, kRoot}, -1},
        ChainCase{"DllWritable", {{FILE_WRITE_DATA, false}, kSafe, kSafe, kRoot}, 0},
        ChainCase{"DllDeletable", {{DELETE, false}, kSafe, kRoot}, 0},
        // A DLL planted beside it is loaded for its imports.
        ChainCase{"FolderTakesFiles", {kSafe, {FILE_ADD_FILE, false}, kRoot}, 1},
        ChainCase{"FolderOwnedByTheUser", {kSafe, kOwnedByUser, kRoot}, 1},
        // C:\pub writable by Everyone, C:\pub\Vestrane by its owner only.
        ChainCase{"ParentWritable", {kSafe, kSafe, kEveryoneModifies, kRoot}, 2},
        ChainCase{"ParentOwnedByTheUser", {kSafe, kSafe, kOwnedByUser, kRoot}, 2},
        ChainCase{"ParentDaclChangeable", {kSafe, kSafe, {WRITE_DAC, false}, kRoot}, 2},
        // Folders may be added above, but nothing there can be taken away.
        ChainCase{
            "ParentAddsFoldersOnly", {kSafe, kSafe, {FILE_ADD_SUBDIRECTORY, false}, kRoot}, -1},
        // Added folders and a folder below that others may rename away.
        ChainCase{"ParentAddsFoldersBelowDeletable",
                  {kSafe, {DELETE, false}, {FILE_ADD_SUBDIRECTORY, false}, kRoot},
                  1},
        ChainCase{"GrandparentAddsFoldersParentDeletable",
                  {kSafe, kSafe, {DELETE, false}, {FILE_ADD_SUBDIRECTORY, false}, kRoot},
                  2},
        ChainCase{"RootAddsAndDeletesChildren",
                  {kSafe, kSafe, kSafe, {FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD, false}},
                  3},
        ChainCase{"RootOwnedByTheUser", {kSafe, kSafe, kOwnedByUser}, 2}),
    RowLabel());

} // namespace
