#include "properties/objectpages.h"

#include "properties/fontpage.h"
#include "properties/formatpage.h"
#include "properties/numberpage.h"
#include "properties/picturepage.h"
#include "properties/positionpage.h"
#include "properties/shapepage.h"
#include "properties/textpage.h"

QList<ObjectPage *> makeObjectPages(const DocumentEditor &editor)
{
    return {new NumberPage(editor), new TextPage(editor),   new PositionPage(editor),
            new FontPage(editor),   new FormatPage(editor), new PicturePage(editor),
            new ShapePage(editor)};
}
