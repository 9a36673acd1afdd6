// Where the loader finds the script cabinet. The page names it in the parameter
// ScriptFile: usually the bare file name (the builder writes "MyPageScript.Cab"), which
// is taken relative to the page's own address; an absolute http: or https: URL is taken
// as it is. The publication directory, from which the web script's program cabinets
// come, is the directory of the script cabinet's URL.
#pragma once

#include <string>
#include <string_view>

struct ScriptLocation {
  std::string url;               // of the script cabinet
  std::string publication_url;  // its directory, ending in "/"
  std::string cabinet_name;     // its file name, as the web script inside it is named
};

// False with `error` set when `script_file` is empty, is no well-formed URL once joined to
// `page_url` (which may be empty when the host names no page), or names no ".cab" file.
bool ResolveScriptLocation(std::string_view script_file, std::string_view page_url, ScriptLocation& location,
                           std::string& error);
