#include "host/io/gltf_source.h"

#include <cstring>

#include <boost/format.hpp>

#include "host/io/file_error.h"

namespace host {

float gltf_accessor_view::value(std::size_t i, int c) const {
    const unsigned char* p = element(i);
    switch (component_type) {
    case TINYGLTF_COMPONENT_TYPE_FLOAT: {
        float f;
        std::memcpy(&f, p + 4 * c, 4);
        return f;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: {
        const float v = p[c];
        return normalized ? v / 255.0f : v;
    }
    case TINYGLTF_COMPONENT_TYPE_BYTE: {
        const float v = static_cast<signed char>(p[c]);
        return normalized ? (v / 127.0f < -1.0f ? -1.0f : v / 127.0f) : v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
        std::uint16_t u;
        std::memcpy(&u, p + 2 * c, 2);
        return normalized ? static_cast<float>(u) / 65535.0f : static_cast<float>(u);
    }
    case TINYGLTF_COMPONENT_TYPE_SHORT: {
        std::int16_t s;
        std::memcpy(&s, p + 2 * c, 2);
        const float v = s;
        return normalized ? (v / 32767.0f < -1.0f ? -1.0f : v / 32767.0f) : v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: {
        std::uint32_t u;
        std::memcpy(&u, p + 4 * c, 4);
        return static_cast<float>(u);
    }
    default: return 0.0f;
    }
}

gltf_accessor_view gltf_view(const tinygltf::Model& model, int index, const std::string& file,
                             const std::string& place) {
    const auto fail = [&](const std::string& what) {
        throw file_error(file, 0, (boost::format("%s: accessor %i %s") % place % index % what).str());
    };
    if (index < 0 || static_cast<std::size_t>(index) >= model.accessors.size())
        throw file_error(file, 0,
                         (boost::format("%s: accessor %i is out of range (%i accessors)") % place % index %
                          model.accessors.size()).str());
    const tinygltf::Accessor& a = model.accessors[static_cast<std::size_t>(index)];
    if (a.sparse.isSparse) fail("is sparse, which is not read");
    if (a.bufferView < 0 || static_cast<std::size_t>(a.bufferView) >= model.bufferViews.size())
        fail((boost::format("names buffer view %i (%i buffer views)") % a.bufferView % model.bufferViews.size()).str());
    const tinygltf::BufferView& v = model.bufferViews[static_cast<std::size_t>(a.bufferView)];
    if (v.buffer < 0 || static_cast<std::size_t>(v.buffer) >= model.buffers.size())
        fail((boost::format("lies in buffer %i (%i buffers)") % v.buffer % model.buffers.size()).str());
    const std::vector<unsigned char>& data = model.buffers[static_cast<std::size_t>(v.buffer)].data;
    const int component = tinygltf::GetComponentSizeInBytes(static_cast<std::uint32_t>(a.componentType));
    const int components = tinygltf::GetNumComponentsInType(static_cast<std::uint32_t>(a.type));
    if (component <= 0 || components <= 0)
        fail((boost::format("has an unknown component type %i or type %i") % a.componentType % a.type).str());
    gltf_accessor_view out;
    out.component_type = a.componentType;
    out.components = components;
    out.normalized = a.normalized;
    out.size = static_cast<std::size_t>(component) * static_cast<std::size_t>(components);
    out.stride = v.byteStride ? v.byteStride : out.size;
    out.count = a.count;
    if (v.byteStride && (v.byteStride < out.size || v.byteStride % static_cast<std::size_t>(component) != 0))
        fail((boost::format("has a byte stride of %i for elements of %i bytes") % v.byteStride % out.size).str());
    if (v.byteOffset > data.size() || v.byteLength > data.size() - v.byteOffset)
        fail((boost::format("reads buffer view %i, which reaches past the end of its buffer (%i bytes)") %
              a.bufferView % data.size()).str());
    // Whether the elements fit in the view, in arithmetic that cannot wrap
    // (a product of count and stride would on a 32-bit build).
    bool fits = a.byteOffset <= v.byteLength;
    if (fits && a.count > 0) {
        const std::size_t room = v.byteLength - a.byteOffset;
        fits = out.size <= room && a.count - 1 <= (room - out.size) / out.stride;
    }
    if (!fits)
        fail((boost::format("holds %i elements of %i bytes from offset %i, past the end of buffer view %i (%i bytes)") %
              a.count % out.size % a.byteOffset % a.bufferView % v.byteLength).str());
    out.data = data.data() + v.byteOffset + a.byteOffset;
    return out;
}

std::vector<unsigned char> gltf_dense(const tinygltf::Model& model, int index, const std::string& file,
                                      const std::string& place, std::size_t& size) {
    if (index < 0 || static_cast<std::size_t>(index) >= model.accessors.size())
        throw file_error(file, 0, (boost::format("%s: accessor %i is out of range (%i accessors)") % place % index %
                                   model.accessors.size()).str());
    const tinygltf::Accessor& a = model.accessors[static_cast<std::size_t>(index)];
    const int component = tinygltf::GetComponentSizeInBytes(static_cast<std::uint32_t>(a.componentType));
    const int components = tinygltf::GetNumComponentsInType(static_cast<std::uint32_t>(a.type));
    if (component <= 0 || components <= 0 || a.count > (std::size_t(1) << 28))
        throw file_error(file, 0, (boost::format("%s: accessor %i has an unknown type or too many elements") % place %
                                   index).str());
    size = static_cast<std::size_t>(component) * static_cast<std::size_t>(components);
    std::vector<unsigned char> out(a.count * size, 0);
    if (a.bufferView >= 0) {
        tinygltf::Model plain_model;  // the view of the base, without its sparse part
        const gltf_accessor_view v = [&] {
            if (!a.sparse.isSparse) return gltf_view(model, index, file, place);
            // gltf_view refuses sparse accessors: look at a copy without it.
            tinygltf::Accessor base = a;
            base.sparse.isSparse = false;
            plain_model.bufferViews = model.bufferViews;
            plain_model.buffers = model.buffers;
            plain_model.accessors = {base};
            return gltf_view(plain_model, 0, file, place);
        }();
        for (std::size_t i = 0; i < v.count; ++i) std::memcpy(&out[i * size], v.element(i), size);
    }
    if (!a.sparse.isSparse) return out;
    const auto region = [&](int view, int offset, std::size_t bytes) -> const unsigned char* {
        if (view < 0 || static_cast<std::size_t>(view) >= model.bufferViews.size() || offset < 0) return nullptr;
        const tinygltf::BufferView& bv = model.bufferViews[static_cast<std::size_t>(view)];
        if (bv.buffer < 0 || static_cast<std::size_t>(bv.buffer) >= model.buffers.size()) return nullptr;
        const std::vector<unsigned char>& data = model.buffers[static_cast<std::size_t>(bv.buffer)].data;
        if (bv.byteOffset > data.size() || bv.byteLength > data.size() - bv.byteOffset ||
            static_cast<std::size_t>(offset) > bv.byteLength || bytes > bv.byteLength - static_cast<std::size_t>(offset))
            return nullptr;
        return data.data() + bv.byteOffset + static_cast<std::size_t>(offset);
    };
    const int isize = tinygltf::GetComponentSizeInBytes(static_cast<std::uint32_t>(a.sparse.indices.componentType));
    const std::size_t n = a.sparse.count < 0 ? 0 : static_cast<std::size_t>(a.sparse.count);
    const unsigned char* indices = isize > 0 ? region(a.sparse.indices.bufferView, a.sparse.indices.byteOffset,
                                                      n * static_cast<std::size_t>(isize))
                                             : nullptr;
    const unsigned char* values = region(a.sparse.values.bufferView, a.sparse.values.byteOffset, n * size);
    if (a.sparse.count < 0 || (n > 0 && (!indices || !values)))
        throw file_error(file, 0, (boost::format("%s: accessor %i has sparse data out of range") % place % index).str());
    for (std::size_t k = 0; k < n; ++k) {
        std::uint32_t i = 0;
        if (isize == 1) i = indices[k];
        if (isize == 2) {
            std::uint16_t u;
            std::memcpy(&u, indices + 2 * k, 2);
            i = u;
        }
        if (isize == 4) std::memcpy(&i, indices + 4 * k, 4);
        if (i >= a.count)
            throw file_error(file, 0, (boost::format("%s: accessor %i has a sparse index %i out of range (%i elements)") %
                                       place % index % i % a.count).str());
        std::memcpy(&out[i * size], values + k * size, size);
    }
    return out;
}

mat4 gltf_node_matrix(const tinygltf::Node& node) {
    mat4 out;
    if (node.matrix.size() == 16) {
        for (int i = 0; i < 16; ++i) out.m[i / 4][i % 4] = static_cast<float>(node.matrix[static_cast<std::size_t>(i)]);
        return out;
    }
    float t[3] = {0, 0, 0}, q[4] = {0, 0, 0, 1}, s[3] = {1, 1, 1};
    if (node.translation.size() == 3)
        for (int i = 0; i < 3; ++i) t[i] = static_cast<float>(node.translation[static_cast<std::size_t>(i)]);
    if (node.rotation.size() == 4)
        for (int i = 0; i < 4; ++i) q[i] = static_cast<float>(node.rotation[static_cast<std::size_t>(i)]);
    if (node.scale.size() == 3)
        for (int i = 0; i < 3; ++i) s[i] = static_cast<float>(node.scale[static_cast<std::size_t>(i)]);
    const float x = q[0], y = q[1], z = q[2], w = q[3];
    // The rotation as a column-vector matrix r; the host's row-vector form
    // is its transpose, each row scaled by the scale along that axis.
    const float r[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                           {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                           {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) out.m[row][col] = r[col][row] * s[row];
    for (int col = 0; col < 3; ++col) out.m[3][col] = t[col];
    return out;
}

}  // namespace host
