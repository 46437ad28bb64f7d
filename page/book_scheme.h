// The textbook's files served to the HTML view under the program's own URL
// scheme, from this process: the view itself reads no file.
#pragma once

#include <webkit2/webkit2.h>

#include "page/book_files.h"

namespace orn::page {

// The configuration file's roots, read when first asked for (by then
// start-up has read the same file).
const BookFiles& served_book_files();

// Registers the scheme with the context: served secure and CORS-enabled, so
// that a page may fetch() its book's files as under file:.
void register_book_scheme(WebKitWebContext* context);

}  // namespace orn::page
