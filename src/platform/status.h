#pragma once

#include <cerrno>
#include <optional>
#include <string>
#include <utility>

namespace varnok {

// What a platform call that can fail reports: success, or the errno of the
// failure. The reason travels with the answer, so a caller can name it even
// after other calls have changed errno.
class Status {
public:
    Status() = default;
    static Status failed(int error) { return Status(error != 0 ? error : EIO); }
    // The failure errno describes now.
    static Status lastError() { return failed(errno); }

    explicit operator bool() const { return error_ == 0; }
    bool ok() const { return error_ == 0; }
    int error() const { return error_; }
    // The system's text for the failure ("No such file or directory").
    std::string reason() const;

private:
    explicit Status(int error) : error_(error) {}
    int error_ = 0;
};

// A value, or the errno of the failure that kept it from being made.
template <typename T>
class Result {
public:
    Result(T value) : value_(std::move(value)) {}
    Result(Status failure) : error_(failure.ok() ? EIO : failure.error()) {}

    explicit operator bool() const { return value_.has_value(); }
    const T &operator*() const { return *value_; }
    const T *operator->() const { return &*value_; }
    Status status() const { return value_ ? Status() : Status::failed(error_); }
    int error() const { return error_; }

private:
    std::optional<T> value_;
    int error_ = 0;
};

} // namespace varnok
