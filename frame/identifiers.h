// Every identifier the plug-in answers to or hands out.
#pragma once

#include "frame/sdk/uuid.h"

using kx::sdk::elements_preference_uuid;
using kx::sdk::modifier_iid;
using kx::sdk::window_iid;

// The last three words shared by every identifier of the plug-in.
constexpr std::uint32_t twinel_uuid_word1 = 0x53B811D9u;
constexpr std::uint32_t twinel_uuid_word2 = 0xBCFF000Au;
constexpr std::uint32_t twinel_uuid_word3 = 0x95BACEB2u;

constexpr kx::uuid_class symmetry_window_uuid{0x5006100Au, twinel_uuid_word1, twinel_uuid_word2, twinel_uuid_word3};
constexpr kx::uuid_class twinel_uuid{0x50061000u, twinel_uuid_word1, twinel_uuid_word2, twinel_uuid_word3};
constexpr kx::uuid_class append_edge_uuid{0x50061001u, twinel_uuid_word1, twinel_uuid_word2, twinel_uuid_word3};
constexpr kx::uuid_class sym_vertices_uuid{0x50061002u, twinel_uuid_word1, twinel_uuid_word2, twinel_uuid_word3};
constexpr kx::uuid_class paste_to_plane_uuid{0x50061003u, twinel_uuid_word1, twinel_uuid_word2, twinel_uuid_word3};
// The kind of the attribute that marks a paired shape: first word 0.
constexpr kx::uuid_class attribute_kind_uuid{0u, twinel_uuid_word1, twinel_uuid_word2, twinel_uuid_word3};

// Version reported by get_info, and the build number of the text resources.
constexpr int twinel_version_major = 10;
constexpr int twinel_version_minor = 0;
constexpr int twinel_version_micro = 0;
constexpr int twinel_version_build = 9;
