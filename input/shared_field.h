// Relaxed atomic access to plain record fields shared between the main thread and the simulation tick.
#pragma once
#include <atomic>

// The joystick poll and the controller dialogs write single fields of the calibration and mapping
// records while the simulation step reads them; each field is read and written as one atomic value.
template <class T> inline T LoadShared(const T& field) {
    return std::atomic_ref<T>(const_cast<T&>(field)).load(std::memory_order_relaxed);
}

template <class T> inline void StoreShared(T& field, T value) {
    std::atomic_ref<T>(field).store(value, std::memory_order_relaxed);
}
