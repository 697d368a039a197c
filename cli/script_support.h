// Word parsing and small helpers shared by the script runner's command and
// check files.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

class polygon_mesh_class;

namespace cli::script_support {

// Thrown by a command for a wrong line; the runner adds file and line.
struct line_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A word as a float or a whole number; line_error naming the word otherwise.
float to_float(const std::string& s);
int to_int(const std::string& s);
// Words `from` to the end as whole numbers.
std::vector<int> to_ints(const std::vector<std::string>& w, std::size_t from);
// line_error with the usage when the line has fewer than `at_least` words.
void need(const std::vector<std::string>& w, std::size_t at_least, const char* usage);
// Everything from word `from` on, joined by single blanks.
std::string rest(const std::vector<std::string>& w, std::size_t from);
// "vertices", "edges", "faces" as the element-mark targets count them: 1, 2, 4.
int target_of(const std::string& kind);
// The number of elements of that target in the mesh.
int element_count(polygon_mesh_class& mesh, int target);
// line_error unless every index names an element of that target.
void check_indices(polygon_mesh_class& mesh, int target, const std::vector<int>& indices);
std::string join(const std::vector<int>& v);
// A float with 9 significant digits (reads back exactly).
std::string float_text(float f);
// The selected elements of that target, ascending.
std::vector<int> selected(polygon_mesh_class& mesh, int target);
// `templ` with printf-style directives (Boost.Format) filled with `values`:
// whole numbers as numbers, other words as text.
std::string formatted_message(const std::string& templ, const std::vector<std::string>& values);

}  // namespace cli::script_support
