#import <Cocoa/Cocoa.h>

#include "uv/file_types.h"
#include "uv/filepath_dialog.h"

bool filepath_dialog(std::string& path, int type_count, const char** types, bool open) {
    @autoreleasepool {
        @try {
            NSMutableArray* allowed = [NSMutableArray arrayWithCapacity:(type_count > 0 ? type_count : 0)];
            for (int i = 0; types && i < type_count; ++i) {
                // Null for a missing type or text that is not UTF-8.
                NSString* type = types[i] ? [NSString stringWithUTF8String:types[i]] : nil;
                if (type) [allowed addObject:type];
            }

            NSSavePanel* panel = open ? [NSOpenPanel openPanel] : [NSSavePanel savePanel];
            if ([allowed count] > 0) [panel setAllowedFileTypes:allowed];
            if (!open) [panel setExtensionHidden:NO];
            if (!path.empty()) {
                NSString* start = [NSString stringWithUTF8String:path.c_str()];
                NSString* folder = start ? [start stringByDeletingLastPathComponent] : nil;
                if ([folder length] > 0) [panel setDirectoryURL:[NSURL fileURLWithPath:folder]];
                if (start && !open) [panel setNameFieldStringValue:[start lastPathComponent]];
            }

            NSString* chosen = [panel runModal] == NSModalResponseOK ? [[panel URL] path] : nil;
            if (!chosen || [chosen length] == 0) {
                path.clear();
                return false;
            }
            path = [chosen fileSystemRepresentation];
            // The panel's required type is its first allowed type.
            if (!open && [allowed count] > 0) add_file_extension(path, [[allowed objectAtIndex:0] UTF8String]);
            return true;
        } @catch (NSException* e) {
            // A failing panel is reported like a cancel; nothing is thrown
            // into the window.
            (void)e;
            path.clear();
            return false;
        }
    }
}

bool filepath_dialog(korvo_interface&, std::string& path, int type_count, const char** types, bool open) {
    return filepath_dialog(path, type_count, types, open);
}
