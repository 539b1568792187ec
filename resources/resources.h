// Lookup of the files compiled into the program (stock mesh 119, stock skin 121, terms text 144, icon 101).
#pragma once
#include <cstddef>

enum ResourceId { ResourceIcon = 101, ResourceStockMesh = 119, ResourceStockSkin = 121, ResourceTerms = 144 };

struct ResourceData {
    const unsigned char* data;
    size_t size;
};

// Returns the bytes of the resource, or {nullptr, 0} when the program holds no such resource.
ResourceData FindResourceData(int id);
