// What the fuzz targets link against in place of the program's resource table.
#include "resources/resources.h"

ResourceData FindResourceData(int) {
    return {nullptr, 0};
}
