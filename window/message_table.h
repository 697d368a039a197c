// The indexed messages of the table "twinel_strings" (toolbar tooltips,
// tool messages), already in the host's language.
#pragma once

// Entry `index` of the message table, or "" when there is no table or no
// such entry.
const char* table_message(int index);
