// The whole host SDK as the plug-in sees it.
#pragma once

#include "dialog.h"
#include "entry.h"
#include "image.h"
#include "korvo.h"
#include "math.h"
#include "modifier.h"
#include "plugin.h"
#include "polygon_mesh.h"
#include "scene.h"
#include "shape.h"
#include "unknown.h"
#include "uuid.h"
#include "window.h"
