#include "platform/ui/Image.h"
#include "platform/ui/Layout.h"
#include "platform/ui/Render.h"
#include "platform/ui/Resources.h"
#include "platform/ui/Stack.h"
#include "tests/platform/ui/PixelProbe.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace platform::ui {
namespace {

using namespace testing_support;

class ImageAssets : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "ui-images-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        std::ofstream(folder_ / "logo.svg")
            << R"(<svg xmlns="http://www.w3.org/2000/svg" width="40" height="20">)"
            << R"(<rect width="40" height="20" fill="#ff0000"/></svg>)";
        SurfacePtr png(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 6));
        CairoPtr cr(cairo_create(png.get()));
        cairo_set_source_rgb(cr.get(), 0, 0, 1);
        cairo_paint(cr.get());
        cairo_surface_write_to_png(png.get(), (folder_ / "dot.png").c_str());
        std::ofstream(folder_ / "broken.svg") << "<svg";
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::filesystem::path folder_;
};

TEST_F(ImageAssets, SvgAndPngShowAtTheirOwnSize) {
    EXPECT_EQ(idealSize(Image("logo", folder_)), (Size{40, 20}));
    EXPECT_EQ(idealSize(Image("dot", folder_)), (Size{8, 6}));
}

TEST_F(ImageAssets, SvgIsDrawnSharpAtTheScale) {
    auto image = renderToImage(Image("logo", folder_).padding(2.0), {44, 24}, 2);
    ASSERT_TRUE(image.hasValue());
    EXPECT_EQ(pixelAt(image->get(), pixelOf({22, 12}, 2)), (Pixel{255, 255, 0, 0}));
    EXPECT_EQ(pixelAt(image->get(), pixelOf({1, 1}, 2)), Pixel{}) << "the padding stays clear";
}

TEST_F(ImageAssets, NamedImagesComeFromTheMainResources) {
    ScopedResources resources({{}, folder_});
    EXPECT_EQ(idealSize(Image("dot")), (Size{8, 6}));
    const auto list = record(Image("dot"), {8, 6});
    ASSERT_EQ(list.items().size(), 1u);
    EXPECT_EQ(list.items()[0].imageFile, folder_ / "dot.png");
}

TEST_F(ImageAssets, MissingOrUnsafeNamesTakeNoSpaceAndDrawNothing) {
    ScopedResources resources({{}, folder_ / "sub"});
    for (const char* name : {"absent", "broken", "../logo", ".hidden", "", "sub/logo"}) {
        EXPECT_EQ(idealSize(Image(name, folder_)), (Size{})) << name;
        EXPECT_TRUE(record(Image(name, folder_), {50, 50}).items().empty()) << name;
    }
    EXPECT_EQ(idealSize(Image("logo")), (Size{})) << "not in the main resources' folder";
}

} // namespace
} // namespace platform::ui
