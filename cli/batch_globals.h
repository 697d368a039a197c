// What a file can leave behind in a process that runs the files of a
// batch one after another (cli/batch.h): the engine keeps its state in the
// globals it exports (the current pairing, the window, the registry of
// pairings, the element-mark record and the message table), and nothing
// else lives longer than a file's host.
#pragma once

namespace cli {

struct engine_globals {
    const void* current_pairing = nullptr;  // CSym
    const void* window = nullptr;           // Sym_W
    const void* message_table = nullptr;    // twinel_string
    const void* mark_component = nullptr;   // Mark.component (the record's other fields are each request's own)
    int pairings = 0;                       // SymS.size()

    // The globals as they stand now in this process.
    static engine_globals now();

    bool operator==(const engine_globals& o) const {
        return current_pairing == o.current_pairing && window == o.window && message_table == o.message_table &&
               mark_component == o.mark_component && pairings == o.pairings;
    }
    bool operator!=(const engine_globals& o) const { return !(*this == o); }
};

}  // namespace cli
