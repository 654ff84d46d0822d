#include <gtest/gtest.h>

#include <string>

#include "platform/d3dx9/d3dx9.h"
#include "platform/win32/messagebox.h"
#include "render/D3DError.h"

namespace {

class D3DErrorReport : public ::testing::Test {
protected:
    void SetUp() override {
        win32::setMessageBoxesInteractive(false);
        win32::resetMessageBoxes();
    }
};

TEST_F(D3DErrorReport, EveryCodeOfTheTable) {
    struct Row {
        HRESULT hr;
        const char* text;
    };
    const Row rows[] = {
        {static_cast<HRESULT>(0x8007000Eu), "OutOfMemory With floorTile"},
        {static_cast<HRESULT>(0x8876017Cu), "OutOfVideoMemory With floorTile"},
        {static_cast<HRESULT>(0x8876086Cu), "InvalidCall With floorTile"},
        {static_cast<HRESULT>(0x88760B59u), "InvalidData With floorTile"},
    };
    for (const Row& row : rows) {
        showD3DError(row.hr, "TextureStack", "floorTile");
        EXPECT_STREQ(win32::lastMessageBox().text, row.text);
        EXPECT_STREQ(win32::lastMessageBox().caption, "TextureStack");
    }
    EXPECT_EQ(win32::messageBoxCount(), 4u);
    // The named constants are the same codes.
    EXPECT_EQ(d3dErrorText(E_OUTOFMEMORY, "x"), "OutOfMemory With x");
    EXPECT_EQ(d3dErrorText(D3DERR_OUTOFVIDEOMEMORY, "x"), "OutOfVideoMemory With x");
    EXPECT_EQ(d3dErrorText(D3DERR_INVALIDCALL, "x"), "InvalidCall With x");
    EXPECT_EQ(d3dErrorText(D3DXERR_INVALIDDATA, "x"), "InvalidData With x");
}

TEST_F(D3DErrorReport, VertexDeclarationExample) {
    showD3DError(D3DERR_INVALIDCALL, "VertexDecl", "Rodizo");
    EXPECT_EQ(win32::messageBoxCount(), 1u);
    EXPECT_STREQ(win32::lastMessageBox().caption, "VertexDecl");
    EXPECT_STREQ(win32::lastMessageBox().text, "InvalidCall With Rodizo");
}

TEST_F(D3DErrorReport, EveryOtherCodeHasNoCase) {
    for (HRESULT hr : {E_FAIL, D3DERR_NOTFOUND, D3DERR_DEVICELOST, E_NOTIMPL, S_OK}) {
        showD3DError(hr, "VertexDecl", "Rodizo");
        EXPECT_STREQ(win32::lastMessageBox().text,
                     "No Case With Rodizo - Everything Should Be Fine");
    }
}

TEST_F(D3DErrorReport, LongSubjectsAreCutAtSixtyFourCharacters) {
    const std::string path = "Tindermoot\\" + std::string(200, 'p') + ".mesh";
    showD3DError(D3DERR_INVALIDCALL, "IndexBuffer", path.c_str());
    const std::string shown = win32::lastMessageBox().text;
    ASSERT_EQ(shown.size(), D3D_ERROR_TEXT_MAX);
    EXPECT_EQ(shown, ("InvalidCall With " + path).substr(0, 64));
    EXPECT_STREQ(win32::lastMessageBox().caption, "IndexBuffer");

    // Exactly 64 characters fit whole; one more is cut.
    const std::string prefix = "InvalidData With ";
    const std::string fits(64 - prefix.size(), 'f');
    EXPECT_EQ(d3dErrorText(D3DXERR_INVALIDDATA, fits.c_str()), prefix + fits);
    EXPECT_EQ(d3dErrorText(D3DXERR_INVALIDDATA, (fits + "g").c_str()), prefix + fits);

    // The longest format is cut in its fixed tail too.
    const std::string tail = d3dErrorText(E_FAIL, std::string(30, 's').c_str());
    EXPECT_EQ(tail, ("No Case With " + std::string(30, 's') + " - Everything Should Be Fine")
                        .substr(0, 64));
}

TEST_F(D3DErrorReport, MissingSubjectIsEmpty) {
    showD3DError(E_OUTOFMEMORY, "Texture", nullptr);
    EXPECT_STREQ(win32::lastMessageBox().text, "OutOfMemory With ");
}

}  // namespace
