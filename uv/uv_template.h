// The UV template image: a mesh's UV layout drawn as one-pixel lines into a
// host image, every face's outline in one colour and the marked edges over
// them in another, on a transparent background.
//
// UV space maps onto the image without flipping: pixel (x, y) covers u in
// [x / width, (x + 1) / width) and v in [y / height, (y + 1) / height).
#pragma once

#include <utility>
#include <vector>

#include "frame/sdk/math.h"
#include "frame/sdk/uuid.h"

class image_interface;
class face_class;
class shape_class;
class Polygon_class;

struct uv_template {
    int width = 1024;
    int height = 1024;
    float column_step = 1.0f / 1024.0f;  // 1 / width
    float row_step = 1.0f / 1024.0f;     // 1 / height
    int target_uv = 0;                   // 0 parameter UV, 1 distance UV
    vec3 background{0.0f, 0.0f, 0.0f};
    vec3 line{0.0f, 1.0f, 1.0f};
    vec3 mark_line{1.0f, 0.0f, 0.0f};
    bool centre_blank = false;  // leave the pixel at each line's middle empty

    // The steps of a size: 1 / width in single precision, 1 / height in
    // double precision rounded to single. Only for a size of 1 or more.
    static float column_step_of(int width);
    static float row_step_of(int height);

    // Draws the line from `from` to `to` (UVs) in `colour`, one pixel per
    // column it crosses when it runs more along u than v, else one per row,
    // each at the mean of the line's position at the two ends of its piece
    // in that column (row); the last column (row) takes the end point. With
    // centre_blank the column (row) holding the midpoint stays empty (both,
    // when the midpoint is on their border), the last one never. Pixels
    // outside the image are left out. Needs width and height of 1 or more
    // and the matching steps. Returns false, drawing nothing, for a null
    // image or a coordinate that is NaN or infinite.
    bool line_draw(image_interface* image, const vec2& from, const vec2& to, const kx::rgba8_class& colour) const;

    // Draws the side of `face` between the vertices va and vb (either way
    // round) with the face's own UVs of the target set: the first corners
    // k, k + 1 holding them, or at k = 0 also corners 0 and n - 1. Returns
    // whether a line was drawn (false for a face without that side).
    bool mark_face_exe(image_interface* image, face_class& face, int va, int vb,
                       const kx::rgba8_class& colour) const;

    // A face outline that could not be drawn: the face, the corner the
    // failing line ends at and the line's two UVs.
    struct face_error {
        int face = 0;
        int corner = 0;
        vec2 from;
        vec2 to;
    };

    // Draws the whole template of `polygon`'s mesh into `image`: the
    // background (alpha 0) over every pixel, then each face's closed
    // outline (corner n - 1 to 0, 0 to 1, ...) in the line colour, then each
    // edge of `marked_edges` in the mark colour with the UVs of each face
    // beside it (lines alpha 255). A face whose line fails (an exception, or
    // a coordinate that is not finite) is left at that line and listed; the
    // other faces are still drawn. Edges the mesh does not have are
    // skipped. Needs the mesh, and a size and steps as for line_draw.
    std::vector<face_error> draw(image_interface& image, Polygon_class& polygon,
                                 const std::vector<int>& marked_edges) const;
};

// The (width, height) of the shape's texture: the first mapping layer of
// its own surface attributes whose image has valid content, else the answer
// of the shape it inherits its surface from; (-1, -1) when there is none.
std::pair<int, int> get_layer_image_size(shape_class& shape);
