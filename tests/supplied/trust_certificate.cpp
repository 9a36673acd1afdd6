// trust_certificate add|remove CERTIFICATE.der
// Puts a certificate into the local machine's trusted root store, or takes it out, as an
// administrator trusts a publisher's root: the demo and the loader and web setup tests
// trust their throw-away certificates this way. Exit status 0 when the system's root store
// holds the certificate afterwards (add) or no longer holds it (remove).
//
// The change goes to the registry store behind the root store: Wine's system root store is
// a collection whose deletions do not reach the registry.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

bool RootStoreHolds(PCCERT_CONTEXT wanted) {
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
                                   CERT_SYSTEM_STORE_LOCAL_MACHINE | CERT_STORE_READONLY_FLAG, L"Root");
  if (store == nullptr) return false;
  PCCERT_CONTEXT found = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, wanted, nullptr);
  if (found != nullptr) CertFreeCertificateContext(found);
  CertCloseStore(store, 0);
  return found != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const bool add = argc == 3 && std::strcmp(argv[1], "add") == 0;
  if (argc != 3 || (!add && std::strcmp(argv[1], "remove") != 0)) {
    std::fprintf(stderr, "usage: trust_certificate add|remove CERTIFICATE.der\n");
    return 2;
  }
  std::FILE* file = std::fopen(argv[2], "rb");
  if (file == nullptr) return 1;
  std::vector<BYTE> bytes(64 * 1024);
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
  std::fclose(file);
  PCCERT_CONTEXT wanted = CertCreateCertificateContext(X509_ASN_ENCODING, bytes.data(), static_cast<DWORD>(bytes.size()));
  if (wanted == nullptr) return 1;
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
  if (store == nullptr) return 1;
  if (add) {
    CertAddCertificateContextToStore(store, wanted, CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  } else {
    PCCERT_CONTEXT found = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, wanted, nullptr);
    if (found != nullptr) CertDeleteCertificateFromStore(found);
  }
  CertCloseStore(store, 0);
  const bool done = RootStoreHolds(wanted) == add;
  CertFreeCertificateContext(wanted);
  return done ? 0 : 1;
}
