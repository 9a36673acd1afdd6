// One request of a download: for a range of the file (Range: bytes=<first>-<last>, or
// <first>- to the end, with If-Range once the version is known) or for the whole file, and
// its body, written where it belongs in the file as it arrives.
//
//   206  the range follows (its Content-Range must start where asked and give the
//        expected total)
//   200  the server ignores ranges, or the file changed (If-Range failed): the whole file
//        follows, from its first byte, to this connection alone
//   416  our file is already complete when it asked for what follows its end; otherwise
//        the file starts over
#pragma once

#include <cstddef>
#include <string>

#include "download_plan.h"
#include "download_state.h"
#include "internet_session_win32.h"

// A request for `range` on `connection` (opened first when it is none) — up to the
// range's end when `bounded`, else to the end of the file. `received` turns true once a
// byte of the body is written.
Attempt FetchRange(Download& download, std::size_t slot, InternetHandle& connection, ByteRange range, bool bounded,
                   bool& received, std::string& reason);
