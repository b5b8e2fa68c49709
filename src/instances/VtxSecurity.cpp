#include "instances/VtxSecurity.h"
#include "base/OSError.h"

namespace vtx {

namespace {

// The tables' security was built in the registry's unit, and its assertion
// texts keep naming it.
const wchar_t* const SecurityUnit = L"instances\\VtxAppInst.cpp";

void AllocateEveryone(TObjectSecurity& sec) {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    // Without the SID the access list cannot be built at all.
    ThrowIfWin32BoolFalse(
        ::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, sec.Everyone.put()));
}

} // namespace

std::vector<BYTE> QueryTokenUser() {
    unique_handle token;
    if (!::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, token.put())) {
        ThrowLastErrorIf(::GetLastError() != ERROR_NO_TOKEN);
        ThrowIfWin32BoolFalse(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put()));
    }
    DWORD length = 0;
    // The size query must fail, and only for the buffer's size.
    ThrowLastErrorIf(::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &length) ||
                     ::GetLastError() != ERROR_INSUFFICIENT_BUFFER);
    std::vector<BYTE> buffer(length, 0);
    ThrowIfWin32BoolFalse(::GetTokenInformation(token.get(), TokenUser, buffer.data(), length, &length));
    return buffer;
}

void BuildSecurityAttributes(TObjectSecurity& sec, PSID owner, std::initializer_list<TAccessGrant> grants) {
    // The list's header and, per entry, the entry's header and mask and its SID, with room to spare.
    DWORD aclSize = 16;
    for (const TAccessGrant& grant : grants) aclSize += ::GetLengthSid(grant.Sid) + 8;
    sec.Acl.assign(aclSize, 0);
    auto* acl = reinterpret_cast<PACL>(sec.Acl.data());
    ThrowIfWin32BoolFalse(::InitializeAcl(acl, aclSize, ACL_REVISION));
    for (const TAccessGrant& grant : grants)
        ThrowIfWin32BoolFalse(::AddAccessAllowedAce(acl, ACL_REVISION, grant.Access, grant.Sid));
    ThrowAssertionIf(!::IsValidAcl(acl), SecurityUnit, 746);

    sec.Descriptor.assign(SECURITY_DESCRIPTOR_MIN_LENGTH, 0);
    PSECURITY_DESCRIPTOR sd = sec.Descriptor.data();
    ThrowIfWin32BoolFalse(::InitializeSecurityDescriptor(sd, SECURITY_DESCRIPTOR_REVISION));
    ThrowIfWin32BoolFalse(::SetSecurityDescriptorSacl(sd, FALSE, nullptr, TRUE));
    ThrowIfWin32BoolFalse(::SetSecurityDescriptorOwner(sd, owner, FALSE));
    ThrowIfWin32BoolFalse(::SetSecurityDescriptorGroup(sd, owner, FALSE));
    ThrowIfWin32BoolFalse(::SetSecurityDescriptorDacl(sd, TRUE, acl, FALSE));
    ThrowAssertionIf(!::IsValidSecurityDescriptor(sd), SecurityUnit, 755);

    sec.Attributes.nLength = sizeof(SECURITY_ATTRIBUTES);
    sec.Attributes.lpSecurityDescriptor = sd;
    sec.Attributes.bInheritHandle = FALSE;
}

void BuildEveryoneSecurity(TObjectSecurity& sec, DWORD access) {
    sec.TokenUser = QueryTokenUser();
    AllocateEveryone(sec);
    BuildSecurityAttributes(sec, sec.UserSid(), {{sec.Everyone.get(), access}});
}

void BuildOwnerOnlySecurity(TObjectSecurity& sec, DWORD access) {
    sec.TokenUser = QueryTokenUser();
    BuildSecurityAttributes(sec, sec.UserSid(), {{sec.UserSid(), access}});
}

void BuildOwnerAndEveryoneSecurity(TObjectSecurity& sec, DWORD ownerAccess, DWORD everyoneAccess) {
    sec.TokenUser = QueryTokenUser();
    AllocateEveryone(sec);
    BuildSecurityAttributes(sec, sec.UserSid(), {{sec.UserSid(), ownerAccess}, {sec.Everyone.get(), everyoneAccess}});
}

} // namespace vtx
