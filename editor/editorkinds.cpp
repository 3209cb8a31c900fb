#include "editorkinds.h"

#include "pageobject.h"

#include <algorithm>
#include <array>

namespace {

constexpr PropertyPages commonPages{PropertyPage::Number, PropertyPage::Text,
                                    PropertyPage::Position, PropertyPage::Font};

const std::array<EditorKindRow, 4> kindRows{{
    {KindNumber,
     {"placeNumberAction", "Place &Number", "placeNumberButton", "N", "Place Number",
      "Place Number", "Place Number", Glyph::Number},
     false,
     commonPages | PropertyPage::Format},
    {KindText,
     {"placeTextAction", "Place &Text", "placeTextButton", "T", "Place Text", "Place Text",
      "Place Text", Glyph::Text},
     false,
     commonPages},
    {KindPicture,
     {"placePictureAction", "Place &Picture", "placePictureButton", "P", "Place Picture",
      "Place Picture", "Place Picture", Glyph::Picture},
     true,
     commonPages | PropertyPage::Picture},
    {KindShape,
     {"placeShapeAction", "Place &Shape", "placeShapeButton", "S", "Place Shape", "Place Shape",
      "Place Shape", Glyph::Shape},
     false,
     PropertyPage::Position | PropertyPage::Shape},
}};

} // namespace

std::span<const EditorKindRow> editorKindRows()
{
    return kindRows;
}

const EditorKindRow &editorKindRow(std::int32_t kind)
{
    const auto found = std::find_if(kindRows.begin(), kindRows.end(),
                                    [kind](const EditorKindRow &row) { return row.kind == kind; });
    return found != kindRows.end() ? *found : kindRows[1];
}
