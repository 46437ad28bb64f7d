#include "page/book_scheme.h"

#include <fcntl.h>
#include <gio/gunixinputstream.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include "page/book_address.h"
#include "page/book_files.h"
#include "page/messages.h"

namespace orn::page {

namespace {

// Nothing a page loads comes from anywhere but the textbook: remote images,
// scripts, frames and fetch() are blocked before they leave the machine.
constexpr char kContentPolicy[] =
    "default-src ornbook: data: blob: 'unsafe-inline' 'unsafe-eval'; form-action ornbook:";

// A page or text file is read whole to choose its charset; one larger than
// this is streamed and read in the view's default charset.
constexpr gsize kMaxInspectedBytes = gsize{16} << 20;

void finish_with_error(WebKitURISchemeRequest* request, GQuark domain, int code,
                       const std::string& message) {
    GError* error = g_error_new_literal(domain, code, message.c_str());
    webkit_uri_scheme_request_finish_error(request, error);
    g_error_free(error);
}

// The engine's own words for a missing local file, as it showed them when
// pages were opened as file: URLs.
void finish_missing(WebKitURISchemeRequest* request, const std::string& host_path) {
    gchar* message =
        g_strdup_printf("Error opening file %s: %s", host_path.c_str(), g_strerror(ENOENT));
    finish_with_error(request, G_IO_ERROR, G_IO_ERROR_NOT_FOUND, message);
    g_free(message);
}

void finish_refused(WebKitURISchemeRequest* request) {
    gchar* message =
        g_strdup_printf(_(messages::kNotInTextbook), webkit_uri_scheme_request_get_path(request));
    finish_with_error(request, G_IO_ERROR, G_IO_ERROR_PERMISSION_DENIED, message);
    g_free(message);
}

std::string mime_type_of(const std::string& host_path, const std::string& head) {
    gchar* type = g_content_type_guess(
        host_path.c_str(), reinterpret_cast<const guchar*>(head.data()), head.size(), nullptr);
    gchar* mime = g_content_type_get_mime_type(type);
    std::string result = mime ? mime : "application/octet-stream";
    g_free(mime);
    g_free(type);
    return result;
}

std::string read_up_to(int fd, gsize limit) {
    std::string bytes;
    char chunk[65536];
    while (bytes.size() < limit) {
        ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    return bytes;
}

void finish_with_stream(WebKitURISchemeRequest* request, GInputStream* stream, gint64 size,
                        const std::string& content_type) {
    WebKitURISchemeResponse* response = webkit_uri_scheme_response_new(stream, size);
    webkit_uri_scheme_response_set_content_type(response, content_type.c_str());
    SoupMessageHeaders* headers = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
    soup_message_headers_append(headers, "Content-Security-Policy", kContentPolicy);
    webkit_uri_scheme_response_set_http_headers(response, headers);
    webkit_uri_scheme_request_finish_with_response(request, response);
    g_object_unref(response);
}

// Serves an open regular file: a page or text file from memory with its
// charset chosen, anything else streamed as it is.
void serve_file(WebKitURISchemeRequest* request, int fd, const std::string& host_path,
                gint64 size) {
    std::string head = read_up_to(fd, 4096);
    std::string mime = mime_type_of(host_path, head);
    bool is_html = mime == "text/html";
    bool is_text = is_html || mime == "text/plain";
    if (is_text && static_cast<gsize>(size) <= kMaxInspectedBytes) {
        std::string bytes = head + read_up_to(fd, kMaxInspectedBytes);
        ::close(fd);
        std::string charset = undeclared_charset(bytes, is_html);
        std::string content_type = charset.empty() ? mime : mime + "; charset=" + charset;
        GBytes* data = g_bytes_new(bytes.data(), bytes.size());
        GInputStream* stream = g_memory_input_stream_new_from_bytes(data);
        g_bytes_unref(data);
        finish_with_stream(request, stream, static_cast<gint64>(bytes.size()), content_type);
        g_object_unref(stream);
        return;
    }
    ::lseek(fd, 0, SEEK_SET);
    GInputStream* stream = g_unix_input_stream_new(fd, TRUE);
    finish_with_stream(request, stream, size, mime);
    g_object_unref(stream);
}

void serve(WebKitURISchemeRequest* request, gpointer) {
    std::optional<Text> windows_path =
        windows_path_of_url(webkit_uri_scheme_request_get_uri(request));
    ServedFile file =
        windows_path ? served_book_files().find(*windows_path) : ServedFile{Served::Refused, {}};
    if (file.status == Served::Missing) return finish_missing(request, file.host_path);
    if (file.status == Served::Refused) return finish_refused(request);
    // Opened without waiting on a FIFO, never through a link swapped in
    // since the lookup, and only if it still is a regular file.
    int fd = ::open(file.host_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    struct stat status;
    if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        if (fd >= 0) ::close(fd);
        return finish_refused(request);
    }
    serve_file(request, fd, file.host_path, status.st_size);
}

}  // namespace

const BookFiles& served_book_files() {
    static const BookFiles files = BookFiles::from_configuration();
    return files;
}

void register_book_scheme(WebKitWebContext* context) {
    webkit_web_context_register_uri_scheme(context, kBookScheme, serve, nullptr, nullptr);
    WebKitSecurityManager* security = webkit_web_context_get_security_manager(context);
    webkit_security_manager_register_uri_scheme_as_secure(security, kBookScheme);
    webkit_security_manager_register_uri_scheme_as_cors_enabled(security, kBookScheme);
}

}  // namespace orn::page
