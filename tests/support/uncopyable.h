// The base of the test helpers that own something (a window, a handle, a key, a folder, a
// hook): such an object is neither copied nor assigned, so that only one of it lets go.
#pragma once

class Uncopyable {
public:
    Uncopyable(const Uncopyable&) = delete;
    Uncopyable& operator=(const Uncopyable&) = delete;

protected:
    Uncopyable() = default;
    ~Uncopyable() = default;
};
