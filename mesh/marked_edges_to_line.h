// Line shapes from marked edges: the edges are walked into chains, each
// chain becomes one line through the mesh's vertex positions.
#pragma once

class edge_class;
class scene_interface;
class Polygon_class;

class marked_edges_to_line {
public:
    // One marked edge.
    struct mark_edge_inf {
        int v0 = -1;        // the edge's first vertex
        int v1 = -1;        // and its second
        bool used = false;  // already taken into a chain

        explicit mark_edge_inf(const edge_class& edge);
    };

    // Builds chains from the `count` listed edges of `polygon`'s mesh and
    // adds one line shape per chain to `scene`: from the first free edge,
    // the chain grows at its tail, then at its head, each step taking the
    // first free edge (in list order) at the end vertex; a tail that comes
    // back to the head closes the line. Points are the vertices' local
    // positions in chain order. Edge indices outside the mesh are skipped;
    // nothing is made without a scene, a mesh or a list. Returns the number
    // of lines made.
    static int make_lines(scene_interface* scene, Polygon_class& polygon, const int* edges, int count);
};
