#pragma once

namespace orvexa {

// Counts one level of a nestable activity for the time of a scope.
class DepthScope {
public:
    explicit DepthScope(int& depth) : depth_(depth) { ++depth_; }
    ~DepthScope() { --depth_; }
    DepthScope(const DepthScope&) = delete;
    DepthScope& operator=(const DepthScope&) = delete;

private:
    int& depth_;
};

}  // namespace orvexa
