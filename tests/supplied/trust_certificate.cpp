// trust_certificate add|remove CERTIFICATE.der
// Puts a certificate into the local machine's trusted root store, or takes it out, as an
// administrator trusts a publisher's root: the demo and the loader tests trust their
// throw-away signing certificate this way. Exit status 0 on success.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "add") != 0 && std::strcmp(argv[1], "remove") != 0)) {
    std::fprintf(stderr, "usage: trust_certificate add|remove CERTIFICATE.der\n");
    return 2;
  }
  std::FILE* file = std::fopen(argv[2], "rb");
  if (file == nullptr) return 1;
  std::vector<BYTE> bytes(64 * 1024);
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
  std::fclose(file);
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
  if (store == nullptr) return 1;
  bool ok = false;
  if (std::strcmp(argv[1], "add") == 0) {
    ok = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, bytes.data(), static_cast<DWORD>(bytes.size()),
                                          CERT_STORE_ADD_REPLACE_EXISTING, nullptr) != FALSE;
  } else {
    PCCERT_CONTEXT wanted = CertCreateCertificateContext(X509_ASN_ENCODING, bytes.data(), static_cast<DWORD>(bytes.size()));
    if (wanted != nullptr) {
      PCCERT_CONTEXT found = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, wanted, nullptr);
      ok = found == nullptr || CertDeleteCertificateFromStore(found) != FALSE;
      CertFreeCertificateContext(wanted);
    }
  }
  CertCloseStore(store, 0);
  return ok ? 0 : 1;
}
