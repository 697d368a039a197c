#include "host/surface_attributes.h"

namespace host {

surface_attributes::surface_attributes(const surface_attributes& other) {
    for (const auto& layer : other.layers_) add_layer(layer.get());
}

image_interface* surface_attributes::get_mapping_layer_image(int k) {
    if (k < 0 || k >= static_cast<int>(layers_.size())) return nullptr;
    return layers_[static_cast<std::size_t>(k)].get();
}

void surface_attributes::add_layer(image_interface* image) {
    layers_.push_back(kx::host_ref<image_interface>::share(image));
}

}  // namespace host
