// Where the loader finds the script cabinet. The page names it in the parameter
// ScriptFile: usually the bare file name (the builder writes "MyPageScript.Cab"), which
// is taken relative to the page's own address; an absolute http: or https: URL is taken
// as it is. The publication directory, from which the web script's program cabinets
// come, is the directory of the script cabinet's URL.
//
// A browser hosts the control for a web page whose data it does not trust: the page
// could name any site's signed script and have this PC install from it. For such a page
// the loader acts only for its own site: the page's address (from the host, never from
// the page) must be known and https:, and ScriptFile must be a file name of the page's
// directory or an absolute URL of the page's own origin (scheme, host and port).
#pragma once

#include <string>
#include <string_view>

struct ScriptLocation {
  std::string url;               // of the script cabinet
  std::string publication_url;  // its directory, ending in "/"
  std::string cabinet_name;     // its file name, as the web script inside it is named
  std::string site;             // its origin as the user is shown it: "https://host", ":port" when not 443 (80)
};

// False with `error` set when `script_file` is empty, is no well-formed URL once joined to
// `page_url` (which may be empty when the host names no page), or names no ".cab" file;
// with `for_untrusted_page` also when the page's address is unknown or not https:, or
// the script lies outside the page's origin. Nothing is to be downloaded then.
bool ResolveScriptLocation(std::string_view script_file, std::string_view page_url, bool for_untrusted_page,
                           ScriptLocation& location, std::string& error);
