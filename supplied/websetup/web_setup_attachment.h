// SAAttach.txt, the text the release builder appends to VexaStandAloneWebProg.exe to make
// a product's stand-alone web setup program:
//
//   offset 0 .. B-1   this program as built (B = its exact size, compiled into it)
//   offset B ..       six lines separated by CR LF, the last without a line end:
//                       1 the ActiveX directory URL, ending in "/"
//                       2 the version of the browser loader control
//                       3 the publication URL (the directory of the web page)
//                       4 the script cabinet's file name, in that directory
//                       5 the short signature of the script cabinet
//                       6 WEBSETUP
//   then, optionally  an Authenticode signature: the PE's certificate table, which signing
//                     tools place at the end of the file behind zero padding to 8 bytes
//
// The text ends where the certificate table begins (when the PE header names one at or
// after B) or at the end of the file; zero bytes at its end are padding. So the program
// can be signed after the text is appended, and signing it again replaces only the
// signature. Anything but exactly these six lines is refused.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr std::size_t kMaxAttachmentBytes = 16 * 1024;
inline constexpr std::string_view kAttachmentEndWord = "WEBSETUP";

struct WebSetupAttachment {
  std::string activex_url;
  std::string loader_version;
  std::string publication_url;
  std::string script_cabinet;
  std::string script_short_signature;
};

// The six lines in `text`; false with `error` naming what is wrong.
bool ParseWebSetupAttachment(std::string_view text, WebSetupAttachment& attachment, std::string& error);

// Where the certificate table of the PE image in `header` (the file's first bytes) begins;
// 0 when the image has none or `header` is no PE image.
std::uint64_t CertificateTableOffset(std::string_view header);

// Reads the attachment of the program file at `path`, which was built `built_size` bytes
// large. False with `error` set when it cannot be read or is not six lines.
bool ReadWebSetupAttachment(const std::string& path, std::uint64_t built_size, WebSetupAttachment& attachment,
                            std::string& error);
