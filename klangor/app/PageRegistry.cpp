#include "PageRegistry.h"

#include "Common.h"
#include "Direct.h"
#include "Envelope.h"
#include "FMEdit.h"
#include "Tone.h"
#include "Vector.h"
// Pages add their header here ...

namespace klangor {

const std::vector<PageInfo>& registeredPages() {
    // ... and their factory in their line here (makePage<TFTone> instead of nullptr).
    static const std::vector<PageInfo> pages = {
        {"FCommon", "&Common", QKeySequence(Qt::CTRL | Qt::Key_C), 1200, makePage<TFCommon>},
        {"FVector", "&Vector", QKeySequence(Qt::CTRL | Qt::Key_V), 1300, makePage<TFVector>},
        {"FTone", "&Tone", QKeySequence(Qt::CTRL | Qt::Key_T), 1400, makePage<TFTone>},
        {"FEnvelope", "&Envelope", QKeySequence(Qt::CTRL | Qt::Key_E), 1500, makePage<TFEnvelope>},
        {"FFMEdit", "&FM-Edit", QKeySequence(Qt::CTRL | Qt::Key_F), 1600, makePage<TFFMEdit>},
        {"FDirectEd", "&Direct Edit", QKeySequence(Qt::CTRL | Qt::Key_D), 1000,
         makePage<TFDirectEd>},
    };
    return pages;
}

const PageInfo* findPage(const QString& name) {
    for (const PageInfo& page : registeredPages())
        if (page.name == name) return &page;
    return nullptr;
}

} // namespace klangor
