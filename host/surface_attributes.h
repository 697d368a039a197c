// A shape's surface attributes: its mapping layers, each with an image.
#pragma once

#include <vector>

#include "frame/sdk/image.h"
#include "frame/sdk/shape.h"
#include "frame/sdk/unknown.h"

namespace host {

class surface_attributes final : public surface_attributes_interface {
public:
    surface_attributes() = default;
    surface_attributes(const surface_attributes& other);
    surface_attributes& operator=(const surface_attributes&) = delete;

    int get_number_of_mapping_layers() override { return static_cast<int>(layers_.size()); }
    // Borrowed; null when out of range or the layer has no image.
    image_interface* get_mapping_layer_image(int k) override;

    // Appends a layer holding its own reference to `image` (null: no image).
    void add_layer(image_interface* image);

private:
    std::vector<kx::host_ref<image_interface>> layers_;
};

}  // namespace host
