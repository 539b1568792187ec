// The Graphics menu: stock geometry, canopy picture, geometry file, model size, background resolution.
#pragma once

// "450 Canopy Graphics": file chooser in canopies/; the chosen picture becomes data/canopy.jpg, the
// canopy rebuild is requested and the helicopter is reset.
void ChooseCanopyImage();

// "Load Heli Geometry": file chooser in ModelGeometries/; the chosen .x file (and the .bmp skin beside
// it) replaces the model, the skin upload is requested and the helicopter is reset. A mesh the reader
// stopped on is reported with its error message (XMeshErrorMessage) in a message box.
void ChooseHeliGeometry();

// Runs the Graphics command with that menu id (40083, 40066, 40082, 40046..40048, 40079..40081);
// returns false for any other id. The commands only change pictures and meshes in memory and set reload
// requests; the texture work follows in ServeTextureReloads.
bool RunGraphicsCommand(int id);
