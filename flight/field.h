// The flying field and the helicopter's size as the step sees them: set by the view settings and the mesh
// loader on the main thread under SimMutex, read by the step.
#pragma once

extern float heliScale;         // 1.5 (450 size), 2.0 (Large) or 3.0 (Jumbo)
extern bool showSchoolBuilding; // the school building stands (and can be flown into)
// Lowest vertical coordinate of the helicopter mesh after scaling; the rest height and the pad follow it.
extern float MeshLowestPoint;
