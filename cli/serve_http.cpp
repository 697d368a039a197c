#include "cli/serve_http.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cctype>
#include <mutex>
#include <string>
#include <thread>

#include <boost/format.hpp>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include "cli/serve_meshes.h"
#include "cli/serve_paths.h"
#include "cli/serve_session.h"
#include "cli/serve_state.h"

namespace cli {

using nlohmann::json;

namespace {

// A dialog as the page draws it: its title and items in layout order,
// each with its kind, label, unit, choices and value.
json dialog_json(const host::dialog_view& view) {
    json items = json::array();
    for (const host::dialog_view::item& i : view.items) {
        const host::dialog_item& l = i.layout;
        json item{{"id", l.id}, {"label", l.label}, {"group", l.group}};
        switch (l.kind) {
        case host::dialog_item_kind::push_button: item["kind"] = "button"; break;
        case host::dialog_item_kind::group: item["kind"] = "group"; break;
        case host::dialog_item_kind::integer:
            item["kind"] = "int";
            item["value"] = i.number;
            item["unit"] = l.unit;
            break;
        case host::dialog_item_kind::selection:
            item["kind"] = "selection";
            item["value"] = i.number;
            item["choices"] = l.items;
            break;
        case host::dialog_item_kind::boolean:
            item["kind"] = "bool";
            item["value"] = i.on;
            break;
        case host::dialog_item_kind::rgb:
            item["kind"] = "rgb";
            item["value"] = {i.colour.x, i.colour.y, i.colour.z};
            break;
        case host::dialog_item_kind::string:
            item["kind"] = "string";
            item["value"] = i.text;
            break;
        }
        items.push_back(std::move(item));
    }
    return json{{"title", view.title}, {"items", std::move(items)}};
}

// An Accept-Encoding value without its "br" entries ("gzip, deflate, br"
// gives "gzip, deflate").
std::string without_brotli(const std::string& accepted) {
    std::string kept;
    std::size_t at = 0;
    while (at <= accepted.size()) {
        const std::size_t end = std::min(accepted.find(',', at), accepted.size());
        const std::string entry = accepted.substr(at, end - at);
        const std::size_t b = entry.find_first_not_of(" \t");
        const std::size_t e = entry.find_first_of(" \t;", b == std::string::npos ? 0 : b);
        const std::string name = b == std::string::npos ? "" : entry.substr(b, e == std::string::npos ? e : e - b);
        if (!name.empty() && !(name.size() == 2 && std::tolower(name[0]) == 'b' && std::tolower(name[1]) == 'r'))
            kept += (kept.empty() ? "" : ",") + entry;
        at = end + 1;
    }
    return kept;
}

}  // namespace

struct page_server::impl {
    page_session& session;
    const served_folder& folder;
    std::filesystem::path page;
    httplib::Server http;
    mesh_revisions meshes;
    // The host is not made for threads: one request at a time touches it.
    std::mutex lock;
    int port = -1;
    std::string address = "127.0.0.1";
    std::atomic<bool> listen_ended{false};

    impl(page_session& s, const served_folder& f, std::filesystem::path p)
        : session(s), folder(f), page(std::move(p)) {}

    void routes();
    static void answer(httplib::Response& res, int status, const json& body) {
        res.status = status;
        res.set_content(body.dump(-1, ' ', false, json::error_handler_t::replace), "application/json");
    }
    static void fail(httplib::Response& res, int status, const std::string& why) {
        answer(res, status, json{{"error", why}});
    }
    // The JSON object of a POST body with the string field `name`; answers
    // 400 and gives false otherwise.
    static bool string_field(const httplib::Request& req, httplib::Response& res, const char* name,
                             std::string& value);
    // Only the page itself may call: a request naming another host (a
    // page elsewhere reaching the loopback address through its own name)
    // is refused.
    bool from_page(const httplib::Request& req) const;
};

bool page_server::impl::string_field(const httplib::Request& req, httplib::Response& res, const char* name,
                                     std::string& value) {
    // A JSON content type keeps other pages' forms out (a browser asks
    // before sending one across origins, and this server never agrees).
    if (req.get_header_value("Content-Type").rfind("application/json", 0) != 0) {
        fail(res, 400, "the body must be JSON (Content-Type: application/json)");
        return false;
    }
    const json body = json::parse(req.body, nullptr, false);
    if (body.is_discarded() || !body.is_object()) {
        fail(res, 400, "the body is not a JSON object");
        return false;
    }
    const auto field = body.find(name);
    if (field == body.end() || !field->is_string()) {
        fail(res, 400, (boost::format("the body needs a string \"%s\"") % name).str());
        return false;
    }
    value = field->get<std::string>();
    return true;
}

bool page_server::impl::from_page(const httplib::Request& req) const {
    const std::string host = req.get_header_value("Host");
    const std::string suffix = ":" + std::to_string(port);
    if (host.size() <= suffix.size() || host.compare(host.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    const std::string name = host.substr(0, host.size() - suffix.size());
    if (name == "127.0.0.1" || name == "localhost") return true;
    const bool v6 = address.find(':') != std::string::npos;
    if (name == (v6 ? "[" + address + "]" : address)) return true;
    if (address != "0.0.0.0" && address != "::") return false;
    // Any address of the machine, written as an address.
    if (name.size() > 2 && name.front() == '[' && name.back() == ']')
        return name.find_first_not_of("0123456789abcdefABCDEF:.", 1) == name.size() - 1;
    return !name.empty() && name.find_first_not_of("0123456789.") == std::string::npos;
}

bool page_server::is_loopback(std::string_view address) {
    return address.rfind("127.", 0) == 0 || address == "::1" || address == "localhost";
}

void page_server::impl::routes() {
    http.set_payload_max_length(max_body);
    // Answers go out at once: with Nagle's algorithm a body sent after its
    // headers waits for the page's delayed acknowledgement, some 40 ms.
    http.set_tcp_nodelay(true);
    http.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        // The library compresses brotli at its highest quality: over a
        // second for the page's script and 20 ms for a scene state, where
        // gzip takes a fiftieth of that. The request is the library's own
        // non-const object, handed to the handlers as const; without "br"
        // among its encodings the answers are gzip (or plain).
        auto& headers = const_cast<httplib::Request&>(req).headers;
        const auto encodings = headers.equal_range("Accept-Encoding");
        for (auto it = encodings.first; it != encodings.second; ++it) it->second = without_brotli(it->second);
        if (from_page(req)) return httplib::Server::HandlerResponse::Unhandled;
        fail(res, 403, "requests must name the host 127.0.0.1 or localhost (or the address served) and this port");
        return httplib::Server::HandlerResponse::Handled;
    });
    http.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr e) {
        std::string why = "unknown error";
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& x) {
            why = x.what();
        } catch (...) {
        }
        fail(res, 500, why);
    });
    if (!std::filesystem::is_regular_file(page / "index.html")) {
        http.Get("/", [this](const httplib::Request&, httplib::Response& res) {
            res.status = 500;
            res.set_content("The page was not built (" + (page / "index.html").string() +
                                " is missing): build twinel with -DTWINEL_WEB=ON.\n",
                            "text/plain");
        });
    } else {
        http.set_mount_point("/", page.string());
    }

    http.Get("/api/layout", [this](const httplib::Request&, httplib::Response& res) {
        const std::lock_guard<std::mutex> hold(lock);
        answer(res, 200, layout_json(session));
    });
    http.Get("/api/state", [this](const httplib::Request&, httplib::Response& res) {
        const std::lock_guard<std::mutex> hold(lock);
        answer(res, 200, state_json(session, meshes));
    });
    http.Get("/api/mesh", [this](const httplib::Request& req, httplib::Response& res) {
        int id = 0, have = -1;
        try {
            id = std::stoi(req.get_param_value("id"));
            if (req.has_param("have")) have = std::stoi(req.get_param_value("have"));
        } catch (const std::exception&) {
            return fail(res, 400, "usage: /api/mesh?id=N&have=REVISION");
        }
        const std::lock_guard<std::mutex> hold(lock);
        state_json(session, meshes);  // brings the revisions up to date
        const std::string bytes = meshes.encode(id, have);
        if (bytes.empty()) return fail(res, 404, (boost::format("no mesh has the id %i") % id).str());
        res.set_content(bytes, "application/octet-stream");
    });
    http.Get(R"(/api/toolbar/(\d+)\.png)", [this](const httplib::Request& req, httplib::Response& res) {
        const std::lock_guard<std::mutex> hold(lock);
        const std::string png = toolbar_png(session, std::stoi(req.matches[1]));
        if (png.empty()) return fail(res, 404, "no such toolbar image");
        res.set_content(png, "image/png");
    });
    http.Get("/api/files", [this](const httplib::Request&, httplib::Response& res) {
        answer(res, 200, json{{"folder", folder.root().string()}, {"meshes", folder.mesh_files()}});
    });
    http.Get("/api/session", [this](const httplib::Request&, httplib::Response& res) {
        const std::lock_guard<std::mutex> hold(lock);
        res.set_header("Content-Disposition", "attachment; filename=\"session.twinel\"");
        res.set_content(session.script(), "text/plain; charset=utf-8");
    });
    http.Post("/api/run", [this](const httplib::Request& req, httplib::Response& res) {
        std::string line;
        if (!string_field(req, res, "line", line)) return;
        const std::lock_guard<std::mutex> hold(lock);
        line_result r;
        try {
            r = session.run(line);
        } catch (const refused_line& e) {
            return fail(res, 403, e.what());
        }
        json body = {{"ok", r.ok}, {"output", r.output}};
        if (!r.ok) body["error"] = r.error;
        if (r.question) body["question"] = *r.question;
        if (r.file_request) body["file_request"] = {{"open", r.file_open}, {"types", r.file_types}};
        if (r.dialog) body["dialog"] = r.dialog_shown ? dialog_json(*r.dialog_shown) : json(true);
        body["state"] = state_json(session, meshes);
        answer(res, 200, body);
    });
    http.Post("/api/lang", [this](const httplib::Request& req, httplib::Response& res) {
        std::string lang;
        if (!string_field(req, res, "lang", lang)) return;
        if (lang != "en" && lang != "ja") return fail(res, 400, "the language is en or ja");
        const std::lock_guard<std::mutex> hold(lock);
        json body = {{"ok", true}};
        try {
            session.switch_language(lang);
        } catch (const std::exception& e) {
            body = {{"ok", false}, {"error", e.what()}};
        }
        body["state"] = state_json(session, meshes);
        answer(res, 200, body);
    });
}

page_server::page_server(page_session& session, const served_folder& folder, const std::filesystem::path& page)
    : impl_(std::make_unique<impl>(session, folder, page)) {
    impl_->routes();
}

page_server::~page_server() = default;

int page_server::bind(const std::string& address, int port) {
    impl_->address = address == "localhost" ? "127.0.0.1" : address;
    const bool bound = port == 0 ? (port = impl_->http.bind_to_any_port(impl_->address)) > 0
                                 : impl_->http.bind_to_port(impl_->address, port);
    impl_->port = bound ? port : -1;
    return impl_->port;
}

bool page_server::listen() {
    const bool served = impl_->http.listen_after_bind();
    impl_->listen_ended = true;
    return served;
}

void page_server::stop() {
    // The library drops a stop that comes before its listening has begun
    // (a Ctrl+C right after the address is printed); wait for that first.
    while (!impl_->http.is_running() && !impl_->listen_ended)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    impl_->http.stop();
}

}  // namespace cli
