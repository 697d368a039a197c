#include "cli/batch_globals.h"

#include "frame/globals.h"

namespace cli {

engine_globals engine_globals::now() {
    engine_globals g;
    g.current_pairing = CSym;
    g.window = Sym_W;
    g.message_table = twinel_string;
    g.mark_component = Mark.component;
    g.pairings = SymS.size();
    return g;
}

}  // namespace cli
