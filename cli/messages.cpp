#include "cli/messages.h"

#include "frame/sdk/korvo.h"
#include "frame/sdk/unknown.h"

namespace cli {
namespace {

// Japanese for the command's own lines (the plug-in's texts come from its
// resources).
struct line_pair {
    const char* english;
    const char* japanese;
};

constexpr line_pair japanese_lines[] = {
    {"%s: %i vertices, %i edges, %i faces", "%s: 頂点 %i、辺 %i、面 %i"},
    {"wrote %s", "%s に書き出しました"},
    {"Reduced duplicated vertices: %i removed.", "重複頂点を削減しました: %i 個を削除。"},
    {"No duplicated vertices.", "重複頂点はありません。"},
    {"Remade all edges: %i edges.", "全ての辺を作り直しました: 辺 %i。"},
    {"Adjusted face directions.", "面の向きを揃えました。"},
    {"invalid faces", "不正な面"},
    {"overlapped faces", "重なった面"},
    {"faces on edges shared by more than two faces", "3 面以上が共有する辺上の面"},
    {"edges shared by more than two faces", "3 面以上が共有する辺"},
    {"faces with more than four corners", "5 頂点以上の面"},
    {"face directions", "面の向き"},
    {"consistent", "揃っている"},
    {"inconsistent", "揃っていない"},
    {"%s: %i vertices, %i faces; %i vertices and %i faces unpaired",
     "%s: 頂点 %i、面 %i。対になっていない頂点 %i、面 %i"},
    {"no output written: a shape could not be paired", "対にできない形状があるため、出力しませんでした"},
    {"%s: %s symmetry, %i of %i control points changed", "%s: %s の対称化、制御点 %i / %i を変更"},
    {"%s: answered %s to \"%s\"%s", "%s: %s と答えました: \"%s\"%s"},
    {"note: %s is an OBJ file, which keeps the polygon meshes and lines only: %i other shapes are left out (a "
     ".json scene file keeps them)",
     "注: %s は OBJ ファイルで、ポリゴンメッシュと線だけを保存します: 他の形状 %i 個は書き出されません "
     "(.json のシーンファイルなら保存されます)"},
    {"no output written: \"Symmerize Skin\" stopped at a vertex",
     "\"Symmerize Skin\" が頂点で止まったため、出力しませんでした"},
    {"%s: %i vertices moved (at most %.6g), %i vertices and %i faces added, margin %.6g, on-plane margin %.6g",
     "%s: 頂点 %i 個を移動 (最大 %.6g)、頂点 %i 個と面 %i 個を追加、マージン %.6g、平面上マージン %.6g"},
    {"%i files: %i succeeded, %i failed (%.1f s)", "ファイル %i 個: 成功 %i、失敗 %i (%.1f 秒)"},
    {"failed: %s", "失敗: %s"},
    {"%s: %i vertices, %i faces; margin %s, on-plane margin %s", "%s: 頂点 %i、面 %i。マージン %s、平面上マージン %s"},
    {"plane", "平面"},
    {"paired", "対あり"},
    {"on the plane", "平面上"},
    {"none", "対なし"},
    {"faces unpaired", "対のない面"},
    {"largest distance", "最大距離"},
    {"mean distance", "平均距離"},
    {"best plane: %s", "最適な平面: %s"},
    {"symmetric within the margin", "マージン内で対称です"},
    {"not symmetric within the margin", "マージン内で対称ではありません"},
    {"\"Twinel\" would pair it: %i vertices moved (at most %s), %i vertices and %i faces left unpaired",
     "\"Twinel\" は対にします: 頂点 %i 個を移動 (最大 %s)、対にならない頂点 %i、面 %i"},
    {"\"Twinel\" would stop: %s", "\"Twinel\" は止まります: %s"},
    {"vertices without a partner: %s", "対のない頂点: %s"},
};

}  // namespace

std::string table_text(host::application& app, int index) {
    kx::host_ref<string_table_interface> table(app.get_string_table("twinel_strings"));
    if (!table) return {};
    const char* text = table->get(index);
    return text ? text : "";
}

std::string own_text(const host::application& app, const std::string& english) { return own_text(app.lang(), english); }

std::string own_text(host::language lang, const std::string& english) {
    if (lang != host::language::japanese) return english;
    for (const line_pair& p : japanese_lines)
        if (english == p.english) return p.japanese;
    return english;
}

}  // namespace cli
