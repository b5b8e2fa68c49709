// Security of the named objects that the instances of this executable share:
// the token user as owner and an access list built from a few grants.
#pragma once
#include <windows.h>
#include <initializer_list>
#include <vector>
#include "base/Handle.h"

namespace vtx {

// One object's security; every block is owned here and freed with it, so the
// attributes stay valid while this lives.
struct TObjectSecurity {
    std::vector<BYTE> TokenUser;
    unique_sid Everyone;
    std::vector<BYTE> Acl;
    std::vector<BYTE> Descriptor;
    SECURITY_ATTRIBUTES Attributes{};

    PSID UserSid() const noexcept { return reinterpret_cast<const TOKEN_USER*>(TokenUser.data())->User.Sid; }
};

// An allowed-access entry of the list.
struct TAccessGrant {
    PSID Sid;
    DWORD Access;
};

// The TOKEN_USER of the thread's token, or of the process's when the thread
// has none. Raises EOSError.
std::vector<BYTE> QueryTokenUser();

// Owner and group Owner, an access list of Grants in order, no system list.
// Raises EOSError, or EAssertionFailed for a list or descriptor that is not valid.
void BuildSecurityAttributes(TObjectSecurity& sec, PSID owner, std::initializer_list<TAccessGrant> grants);
// The token user as owner; Everyone is granted Access.
void BuildEveryoneSecurity(TObjectSecurity& sec, DWORD access);
// The token user as owner and the only one granted Access.
void BuildOwnerOnlySecurity(TObjectSecurity& sec, DWORD access);
// The token user as owner with OwnerAccess, Everyone with EveryoneAccess
// (the rights an object's users need, without the right to change it).
void BuildOwnerAndEveryoneSecurity(TObjectSecurity& sec, DWORD ownerAccess, DWORD everyoneAccess);

} // namespace vtx
