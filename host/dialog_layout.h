// A dialog layout read from a KXUL file:
//
//   <kxul>
//     <dialog id="uv_dialog_id" title="Template Setting" default-button="true">
//       <push-button id="12" label="browse"/>  <string id="11" label=".."/>
//       <selection id="13" label=".." default="0"><item>png</item>..</selection>
//       <group id="20" label=".."> <int id="21" label="H" unit="pixel" default="1024"/> </group>
//       <rgb id="41" label=".." default="0.0 1.0 1.0"/>  <bool id="50" label=".." default="false"/>
//     </dialog>
//   </kxul>
//
// Items carry whole-number ids, unique in the dialog; groups frame the items
// they hold. "default" is the value an item has when the dialog is made.
#pragma once

#include <string>
#include <vector>

#include "host/resource_files.h"

#include "frame/sdk/math.h"

namespace host {

enum class dialog_item_kind { push_button, string, selection, group, integer, rgb, boolean };

struct dialog_item {
    int id = 0;
    dialog_item_kind kind = dialog_item_kind::push_button;
    std::string label;
    std::string unit;
    std::vector<std::string> items;  // selections
    int group = -1;                  // id of the enclosing group, -1 for none
    // Defaults by kind: integer and selection (an item index), boolean,
    // rgb, string.
    int int_default = 0;
    bool bool_default = false;
    vec3 rgb_default{0.0f, 0.0f, 0.0f};
    std::string string_default;
};

struct dialog_layout {
    std::string id;
    std::string title;
    bool default_button = false;
    std::vector<dialog_item> items;  // in layout order, a group before its items
};

// Reads the <dialog> whose id is `name` (compared without regard to case)
// from the KXUL file `path`. Throws host::file_error, with the line, for an
// unreadable file, a missing dialog, an unknown element or attribute, a
// missing or repeated id, a default of the wrong form, or a selection
// default outside its items.
dialog_layout read_dialog_layout(const std::string& path, const std::string& name);
// The same from a resource file.
dialog_layout read_dialog_layout(const resource_file& file, const std::string& name);

}  // namespace host
