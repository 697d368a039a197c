// `twinel script`: the session language and its failures.
#include <gtest/gtest.h>

#include "cli/script.h"
#include "tests/cli/cli_runner.h"

using twinel_test::example;
using twinel_test::read_file;
using twinel_test::run_twinel;
using twinel_test::temp_dir;
using twinel_test::write_file;

TEST(script_words, quotes_keep_blanks_and_comments_end_the_line) {
    EXPECT_EQ(cli::split_words("  press  twinel  # a comment"), (std::vector<std::string>{"press", "twinel"}));
    EXPECT_EQ(cli::split_words("expect message \"Release Twinel.\""),
              (std::vector<std::string>{"expect", "message", "Release Twinel."}));
    EXPECT_EQ(cli::split_words("echo \"a \\\"b\\\" # c\""), (std::vector<std::string>{"echo", "a \"b\" # c"}));
    EXPECT_TRUE(cli::split_words("# only a comment").empty());
    EXPECT_TRUE(cli::split_words("#only a comment").empty());
    EXPECT_EQ(cli::split_words("activate #3 #"), (std::vector<std::string>{"activate", "#3"}));
    EXPECT_THROW(cli::split_words("echo \"open"), std::invalid_argument);
}

namespace {

twinel_test::run_result run_script(const temp_dir& tmp, const std::string& text) {
    write_file(tmp.path("s.twinel"), text);
    return run_twinel("script '" + tmp.path("s.twinel") + "'");
}

}  // namespace

TEST(script, edits_undo_and_save_a_mesh) {
    temp_dir tmp;
    const auto r = run_script(tmp, "open \"" + example("torus.obj") + "\"\n" +
                                       "expect vertices 242\n"
                                       "mode vertex\n"
                                       "modify on\n"
                                       "select vertices 3 1 2\n"
                                       "expect selected vertices 1 2 3\n"
                                       "move 1 0.5 0.25 -1\n"
                                       "expect position 1 0.5 0.25 -1\n"
                                       "undo\n"
                                       "add vertex 9 9 9\n"
                                       "add face 0 1 242\n"
                                       "expect vertices 243\n"
                                       "expect faces 243\n"
                                       "undo\n"
                                       "undo\n"
                                       "expect faces 242\n"
                                       "delete vertices 0\n"
                                       "expect vertices 241\n"
                                       "undo\n"
                                       "save \"" + tmp.path("out.obj") + "\"\n");
    ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
    EXPECT_EQ(read_file(tmp.path("out.obj")), read_file(example("torus.obj")));
    EXPECT_NE(r.out.find("expectations met"), std::string::npos);
}

TEST(script, open_and_save_name_what_a_file_cannot_keep) {
    temp_dir tmp;
    write_file(tmp.path("in.obj"), "v 0 0 0 1 0 0\nv 1 0 0 1 0 0\nv 0 1 0 1 0 0\np 1\nf 1 2 3\n");
    const auto r = run_script(tmp, "open " + tmp.path("in.obj") + "\nsave " + tmp.path("out.json") + "\n");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NE(r.out.find("warning: " + tmp.path("in.obj") + ": 1 'p' statement left out"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("warning: " + tmp.path("out.json") + ":"), std::string::npos) << r.out;
}

TEST(script, a_failing_expectation_names_the_line_and_fails) {
    temp_dir tmp;
    const auto r = run_script(tmp, "open " + example("torus.obj") + "\n\n# comment\nexpect vertices 7\necho after\n");
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.err.find("s.twinel:4: expectation failed: the mesh has 242 vertices, not 7"), std::string::npos)
        << r.err;
    EXPECT_EQ(r.out.find("after"), std::string::npos);
}

TEST(script, bad_lines_are_reported_not_guessed) {
    temp_dir tmp;
    EXPECT_NE(run_script(tmp, "jump\n").err.find("s.twinel:1: unknown command 'jump'"), std::string::npos);
    EXPECT_NE(run_script(tmp, "open " + example("torus.obj") + "\nmove 1 x 0 0\n").err.find("'x' is not a number"),
              std::string::npos);
    EXPECT_NE(run_script(tmp, "open " + example("torus.obj") + "\nselect vertices 999\n").err.find("out of range"),
              std::string::npos);
    EXPECT_NE(run_script(tmp, "undo\n").err.find("nothing to undo"), std::string::npos);
}
