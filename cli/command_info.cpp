// `twinel info`: what a host learns from the plug-in through its entry points.
#include <cstdio>
#include <string>

#include <boost/format.hpp>

#include "cli/commands.h"
#include "frame/sdk/entry.h"
#include "host/plugin_library.h"

namespace cli {
namespace {

std::string uuid_text(const kx::uuid_class& id) {
    return (boost::format("%08X-%08X-%08X-%08X") % id.word[0] % id.word[1] % id.word[2] % id.word[3]).str();
}

// One line per interface of a kind, as far as the plug-in names them.
void print_kind(const host::plugin_library& lib, korvo_interface& host, const char* label,
                const kx::iid_class& kind) {
    const int answer = lib.has_interface(kind);
    std::printf("%s interfaces (has_interface: %d)\n", label, answer);
    for (int index = 0;; ++index) {
        const char* name = lib.get_name(kind, index, host);
        if (!name || index > 64) break;
        std::printf("  %d  %-16s uuid %s  %s\n", index, name, uuid_text(lib.get_uuid(kind, index)).c_str(),
                    lib.is_resident(kind, index) ? "resident" : "not resident");
        // A window kind answers the same name for every index; list it once.
        if (kind == kx::sdk::window_iid) break;
    }
}

void run_info(const global_options& options) {
    auto app = open_host(options);
    const host::plugin_library& lib = *app->plugins().libraries().front();
    version_record version;
    lib.get_info(version);
    std::printf("plug-in    %s\n", lib.path().c_str());
    std::printf("resources  %s\n", lib.resource_dir().c_str());
    std::printf("version    %d.%d.%d build %d\n", version.major, version.minor, version.micro, version.build);
    print_kind(lib, *app, "window", kx::sdk::window_iid);
    print_kind(lib, *app, "modifier", kx::sdk::modifier_iid);
}

}  // namespace

void add_info_command(CLI::App& app, const global_options& options) {
    CLI::App* cmd = app.add_subcommand("info", "Load the plug-in and show what it offers the host");
    cmd->callback([&options] { run_info(options); });
}

}  // namespace cli
