// The field and size values the step reads, at their start-up values.
#include "flight/field.h"

float heliScale = 1.5f;
bool showSchoolBuilding = true;
float MeshLowestPoint = 0.0f;
