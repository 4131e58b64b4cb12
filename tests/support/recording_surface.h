#pragma once
// A drawing surface that records every operation as a line of text.
#include <cstdio>
#include <string>
#include <vector>

#include "display/drawing_surface.h"

namespace vostel::test {

class RecordingSurface : public DrawingSurface {
public:
    std::vector<std::string> ops;
    float heightTwips = 5535;
    float tpp = 15;

    void PSet(float x, float y) override { ops.push_back("PSet " + num(x) + "," + num(y)); }
    void PSet(float x, float y, ColorValue c) override {
        ops.push_back("PSet " + num(x) + "," + num(y) + " " + hex(c));
    }
    void Line(float x, float y, ColorValue c) override {
        ops.push_back("Line " + num(x) + "," + num(y) + " " + hex(c));
    }
    void Cls() override { ops.push_back("Cls"); }
    float outerHeightTwips() const override { return heightTwips; }
    float twipsPerPixelY() const override { return tpp; }

    static std::string num(float v) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%g", static_cast<double>(v));
        return buf;
    }
    static std::string hex(ColorValue c) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(c));
        return buf;
    }
};

}  // namespace vostel::test
