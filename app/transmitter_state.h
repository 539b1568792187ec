// What the shell knows of the transmitter: lost or there, remembered, calibrated at the first start.
#pragma once

// At start: the calibration file (without one, the whole travel of each axis, and the Calibrate dialog is
// offered once a transmitter is plugged in), then the remembered transmitter from the settings.
void LoadCalibrationAndTransmitter();
// At shutdown: the transmitter in use becomes the remembered one when none is, and the remembered one is
// written to the settings.
void StoreTransmitterSettings();

// First start without a calibration file: once a transmitter is plugged in, the Calibrate dialog opens
// with its explanation and the simulation paused. Called every pass of the main loop.
void OfferFirstCalibration();
// A line above the stick boxes telling the pilot why nothing moves (nothing while the transmitter is there).
void DrawControllerHint(int menuHeight, int clientWidth, int clientHeight);
