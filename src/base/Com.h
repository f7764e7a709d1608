#pragma once
// COM for the calling thread, and interface pointers that release what they
// hold when they go out of scope.
#include <windows.h>
#include <objbase.h>

#include <utility>

namespace purgelet {

// COM for the calling thread (single-threaded apartment), for as long as the
// object lives; a thread that already has COM keeps it as it was.
class ComApartment {
public:
    ComApartment() : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (initialized_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialized_;
};

// An interface pointer of our own, released on scope exit.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For functions that hand a new interface back through a void**
    // (CoCreateInstance, QueryInterface); releases what was held first.
    void** Receive() {
        Reset();
        return reinterpret_cast<void**>(&p_);
    }
    void Reset() {
        if (T* held = std::exchange(p_, nullptr)) held->Release();
    }

private:
    T* p_ = nullptr;
};

}  // namespace purgelet
