// The view choices at their start-up values.
#include "render/view_settings.h"

bool showInstruments = true;
bool smoothCameraFollow = false;
int32_t backgroundResolution = 1;
bool lowerCameraAngle = false;
