#include "window/message_table.h"

#include "frame/globals.h"
#include "frame/sdk/korvo.h"

const char* table_message(int index) {
    if (!twinel_string) return "";
    const char* text = twinel_string->get(index);
    return text ? text : "";
}
