// `twinel info`: what a host learns from the plug-in through its entry points.
#include <cstdio>
#include <memory>
#include <string>

#include <boost/format.hpp>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "frame/sdk/entry.h"
#include "host/plugin_library.h"

namespace cli {
namespace {

std::string uuid_text(const kx::uuid_class& id) {
    return (boost::format("%08X-%08X-%08X-%08X") % id.word[0] % id.word[1] % id.word[2] % id.word[3]).str();
}

// The interfaces of a kind, as far as the plug-in names them.
nlohmann::ordered_json kind_json(const host::plugin_library& lib, korvo_interface& host, const kx::iid_class& kind) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (int index = 0;; ++index) {
        const char* name = lib.get_name(kind, index, host);
        if (!name || index > 64) break;
        list.push_back({{"index", index},
                        {"name", name},
                        {"uuid", uuid_text(lib.get_uuid(kind, index))},
                        {"resident", lib.is_resident(kind, index) != 0}});
        // A window kind answers the same name for every index; list it once.
        if (kind == kx::sdk::window_iid) break;
    }
    return {{"has_interface", lib.has_interface(kind)}, {"interfaces", list}};
}

// One line per interface of a kind.
void print_kind(const char* label, const nlohmann::ordered_json& kind) {
    std::printf("%s interfaces (has_interface: %d)\n", label, kind["has_interface"].get<int>());
    for (const auto& i : kind["interfaces"])
        std::printf("  %d  %-16s uuid %s  %s\n", i["index"].get<int>(), i["name"].get<std::string>().c_str(),
                    i["uuid"].get<std::string>().c_str(), i["resident"].get<bool>() ? "resident" : "not resident");
}

void run_info(const global_options& options, bool json) {
    auto app = open_host(options);
    const host::plugin_library& lib = *app->plugins().libraries().front();
    version_record version;
    lib.get_info(version);
    const nlohmann::ordered_json info = {
        {"plugin", lib.path()},
        {"resources", lib.resource_dir()},
        {"version", {{"major", version.major}, {"minor", version.minor}, {"micro", version.micro}, {"build", version.build}}},
        {"window", kind_json(lib, *app, kx::sdk::window_iid)},
        {"modifier", kind_json(lib, *app, kx::sdk::modifier_iid)}};
    if (json) {
        std::printf("%s\n", info.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
        return;
    }
    std::printf("plug-in    %s\n", lib.path().c_str());
    std::printf("resources  %s\n", lib.resource_dir().c_str());
    std::printf("version    %d.%d.%d build %d\n", version.major, version.minor, version.micro, version.build);
    print_kind("window", info["window"]);
    print_kind("modifier", info["modifier"]);
}

}  // namespace

void add_info_command(CLI::App& app, const global_options& options) {
    CLI::App* cmd = app.add_subcommand("info", "Load the plug-in and show what it offers the host");
    auto json = std::make_shared<bool>(false);
    cmd->add_flag("--json", *json, "Print it as JSON");
    cmd->callback([&options, json] { run_info(options, *json); });
}

}  // namespace cli
