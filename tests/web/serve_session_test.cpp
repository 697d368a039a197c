// The page's session (cli/serve_session.h), the check of file names
// (cli/serve_paths.h) and the meshes' revisions (cli/serve_meshes.h),
// against the reference host with the plug-in loaded.
#include <filesystem>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "cli/script.h"
#include "cli/serve_http.h"
#include "cli/serve_meshes.h"
#include "cli/serve_paths.h"
#include "cli/serve_session.h"
#include "host/application.h"
#include "host/mesh_shape.h"
#include "host/scene.h"
#include "host/temp_folder.h"

namespace fs = std::filesystem;

namespace {

// A served folder holding copies of test meshes, as the current directory
// (lines take file names from there, as in `twinel serve`).
class served : public ::testing::Test {
protected:
    void SetUp() override {
        before_ = fs::current_path();
        root_ = host::make_temp_folder("twinel_serve_");
        for (const char* f : {"strip.obj", "pieces.obj"})
            fs::copy_file(fs::path(TWINEL_SOURCE_DIR) / "tests/scripts" / f, root_ / f);
        fs::create_directory(root_ / "sub");
        // A link out of the folder (Windows makes one only with a privilege
        // a test may lack).
        std::error_code no_link;
        fs::create_directory_symlink(fs::temp_directory_path(), root_ / "out", no_link);
        linked_ = !no_link;
#ifndef _WIN32
        ASSERT_TRUE(linked_) << no_link.message();
#endif
        fs::current_path(root_);
        options_.plugin = TWINEL_PLUGIN_PATH;
    }
    void TearDown() override {
        fs::current_path(before_);
        fs::remove_all(root_);
    }
    fs::path before_, root_;
    bool linked_ = false;
    cli::global_options options_;
};

TEST_F(served, names_stay_inside_the_folder) {
    const cli::served_folder folder(root_);
    for (const char* ok : {"strip.obj", "sub/new.obj", "./strip.obj", "@uv.png"}) EXPECT_NO_THROW(folder.check_name(ok)) << ok;
    for (const char* bad : {"/etc/passwd", "../x.obj", "sub/../../x.obj", "@a/b.png", "@..", "-", ""})
        EXPECT_THROW(folder.check_name(bad), cli::refused_line) << bad;
    if (linked_) {
        EXPECT_THROW(folder.check_name("out/x.obj"), cli::refused_line);
    }
    // Every command that names a file is checked, at its file's word.
    for (const char* line : {"open /tmp/x.obj", "save ../x.obj", "path /tmp/t.png", "scratch-path ../t",
                             "expect mesh /etc/x.obj", "expect pixel ../a.png 0 0 0 0 0 0", "expect image /a.png 1 1"})
        EXPECT_THROW(folder.check_line(cli::split_words(line)), cli::refused_line) << line;
    EXPECT_NO_THROW(folder.check_line(cli::split_words("path --cancel")));
    EXPECT_EQ(folder.mesh_files(), (std::vector<std::string>{"pieces.obj", "strip.obj"}));
}

TEST_F(served, kept_lines_replay_to_the_same_mesh) {
    const cli::served_folder folder(root_);
    std::string kept;
    {
    cli::page_session session(options_, folder, "strip.obj");
    EXPECT_EQ(session.lines(), (std::vector<std::string>{"open strip.obj", "idle 300", "refresh"}));

    EXPECT_TRUE(session.run("press twinel").ok);
    EXPECT_TRUE(session.run("mode vertex").ok);
    EXPECT_TRUE(session.run("modify on").ok);
    EXPECT_TRUE(session.run("select vertices 2").ok);
    // A failing line is not kept, and the session goes on.
    const cli::line_result bad = session.run("move 99 0 0 0");
    EXPECT_FALSE(bad.ok);
    EXPECT_NE(bad.error.find("out of range"), std::string::npos);
    const cli::line_result moved = session.run("move 2 1.5 0 0.25");
    ASSERT_TRUE(moved.ok) << moved.error;
    EXPECT_EQ(session.lines().back(), "refresh");
    EXPECT_EQ(session.lines()[session.lines().size() - 3], "move 2 1.5 0 0.25");
    EXPECT_THROW(session.run("open ../strip.obj"), cli::refused_line);
    EXPECT_THROW(session.run("press twinel\npress twinel"), cli::refused_line);

    // The script, replayed by `twinel script`'s runner, gives the mesh the
    // session has; live symmetry moved the partner in both.
    session.run("save served.obj");
    kept = session.script();
    }
    // The plug-in keeps globals: one host at a time.
    std::istringstream script(kept + "expect mesh served.obj\nexpect position 0 -1.5 0 0.25\n");
    host::application app;
    app.load_plugin(TWINEL_PLUGIN_PATH);
    std::ostringstream out;
    cli::script_runner replay(app, out);
    EXPECT_NO_THROW(replay.run(script, "session.twinel")) << out.str();
}

TEST_F(served, a_question_is_reported_and_answered_by_the_next_line) {
    const cli::served_folder folder(root_);
    cli::page_session session(options_, folder, "pieces.obj");
    const std::size_t kept = session.lines().size();
    const cli::line_result asked = session.run("press sep_polygon");
    EXPECT_FALSE(asked.ok);
    ASSERT_TRUE(asked.question);
    EXPECT_EQ(*asked.question, "Start to separete polygon.");
    EXPECT_EQ(session.lines().size(), kept);
    EXPECT_EQ(session.app().current_scene()->get_shape_by_name("pieces_1"), nullptr);
    EXPECT_TRUE(session.run("answer yes").ok);
    EXPECT_TRUE(session.run("press sep_polygon").ok);
    EXPECT_NE(session.app().current_scene()->get_shape_by_name("pieces_1"), nullptr);
}

TEST_F(served, switching_language_replays_the_session) {
    const cli::served_folder folder(root_);
    cli::page_session session(options_, folder, "strip.obj");
    session.run("press twinel");
    const int generation = session.generation();
    session.switch_language("ja");
    EXPECT_EQ(session.language(), "ja");
    EXPECT_NE(session.generation(), generation);
    EXPECT_EQ(session.app().lang(), host::language::japanese);
    EXPECT_TRUE(session.run("expect title twinel[strip:*]").ok);
    EXPECT_THROW(session.switch_language("fr"), std::invalid_argument);
}

// A stop that comes at once, before the listening thread has begun, still
// ends it (it used to be lost, and the server then served on forever).
TEST_F(served, a_stop_right_after_binding_ends_the_listening) {
    const cli::served_folder folder(root_);
    cli::page_session session(options_, folder, "strip.obj");
    for (int round = 0; round < 20; ++round) {
        cli::page_server server(session, folder, root_);
        ASSERT_GT(server.bind("127.0.0.1", 0), 0);
        std::thread listener([&] { server.listen(); });
        server.stop();
        listener.join();
    }
}

// The header's form and revision words (serve_meshes.h).
std::vector<std::int32_t> header(const std::string& bytes) {
    std::vector<std::int32_t> h(8);
    std::memcpy(h.data(), bytes.data(), 32);
    return h;
}

TEST_F(served, meshes_go_whole_then_as_moved_vertices_only) {
    const cli::served_folder folder(root_);
    cli::page_session session(options_, folder, "strip.obj");
    cli::mesh_revisions meshes;
    host::scene& scene = *session.app().current_scene();
    meshes.update(scene, session.generation());
    const int id = meshes.id_of(*dynamic_cast<host::shape*>(scene.get_active_shape()));
    const std::string whole = meshes.encode(id, -1);
    EXPECT_EQ(whole.substr(0, 4), "TWMS");
    EXPECT_EQ(header(whole)[1], 0);
    EXPECT_EQ(whole.size(), 32 + 6 * 12 + 2 * 4 + 8 * 4 + header(whole)[6] * 8u);
    EXPECT_EQ(header(meshes.encode(id, 0))[1], 2);  // unchanged

    session.run("move 2 1.5 0 0.25");
    meshes.update(scene, session.generation());
    const std::string moved = meshes.encode(id, 0);
    EXPECT_EQ(header(moved)[1], 1);
    EXPECT_EQ(header(moved)[2], 1);
    EXPECT_EQ(header(moved)[7], 1);
    std::int32_t v = -1;
    float p[3];
    std::memcpy(&v, moved.data() + 32, 4);
    std::memcpy(p, moved.data() + 36, 12);
    EXPECT_EQ(v, 2);
    EXPECT_EQ(p[0], 1.5f);
    EXPECT_EQ(p[2], 0.25f);
    // The same move goes with the state, for a page one revision behind.
    ASSERT_NE(meshes.recent_moves(id, 4096), nullptr);
    EXPECT_EQ(*meshes.recent_moves(id, 4096), std::vector<std::int32_t>{2});
    EXPECT_EQ(meshes.position(id, 2).x, 1.5f);
    EXPECT_EQ(meshes.recent_moves(id, 0), nullptr);  // more than asked for
    // Two revisions behind, or after a change of faces: the whole mesh.
    EXPECT_EQ(header(meshes.encode(id, -1))[1], 0);
    session.run("delete faces 0");
    meshes.update(scene, session.generation());
    EXPECT_EQ(header(meshes.encode(id, 1))[1], 0);
    EXPECT_EQ(header(meshes.encode(id, 1))[4], 1);
    EXPECT_EQ(meshes.recent_moves(id, 4096), nullptr);
    EXPECT_TRUE(meshes.encode(12345, -1).empty());
}

}  // namespace
