// A palette layout read from a KXUL file:
//
//   <kxul>
//     <palette id="WINDOW" vartical="true" margins="2 22 2 2">
//       <group id="mode" label="Setting" disclosure="true"><vbox>
//         <popup-menu id="sym_mode" label=".." tooltip=".."><item id="item_0">YZ plane</item>..</popup-menu>
//         <number id="margin" label=".." unit="mm" type="real|integer" editable="false"/>
//         <checkbox id=".." label=".."/>  <push-button id=".." label=".."/>
//         <static-text id=".." label=".." size="60 14"/>  <control id="dummy0" size="10 14"/> (a spacer)
//         <hbox>..</hbox>  <tab id="tab"><group ..>..</group>..</tab>
//       </vbox></group>
//     </palette>
//   </kxul>
//
// Boxes only arrange their children; every other element is a control with
// an id. Any control may carry label, tooltip and size ("width height").
#pragma once

#include <string>
#include <vector>

#include "host/resource_files.h"

#include "frame/sdk/uuid.h"

namespace host {

enum class layout_kind { push_button, checkbox, number, popup_menu, static_text, spacer, group, tab, vbox, hbox };

struct layout_node {
    layout_kind kind = layout_kind::vbox;
    std::string id;
    std::string label;
    std::string tooltip;
    std::string unit;
    bool integer = false;     // numbers: type="integer" (else real)
    bool editable = true;     // numbers: editable="false" for read-only displays
    bool disclosure = false;  // groups
    int width = -1;           // size="width height"; -1 when not given
    int height = -1;
    std::vector<std::string> items;  // popup menus, in order
    std::vector<layout_node> children;
    int line = 0;  // where the element stands in its file
};

struct palette_layout {
    std::string id;
    bool vertical = true;
    int margins[4] = {0, 0, 0, 0};  // left, top, right, bottom
    std::vector<layout_node> children;
};

// Reads the <palette> whose id is `name` (compared without regard to case)
// from the KXUL file `path`. Throws host::file_error, with the line, for an
// unreadable file, a missing palette, an unknown element or attribute, a
// control without an id, or a malformed value.
palette_layout read_palette_layout(const std::string& path, const std::string& name);
// The same from a resource file.
palette_layout read_palette_layout(const resource_file& file, const std::string& name);

// The controls (every node but boxes) in layout order: depth first, a
// group or tab before what it holds.
std::vector<const layout_node*> layout_controls(const palette_layout& layout);

// A rectangle from (0, 0) large enough for the layout with every control at
// a nominal size (its size attribute, else one estimated from its texts):
// boxes stack their children, groups add a caption, tabs a tab strip and
// their largest page, the palette its margins.
kx::rect_class layout_bounds(const palette_layout& layout);

}  // namespace host
