#pragma once
// The editor pages the main window offers, in menu order. A page plugs in with its entry's factory
// in PageRegistry.cpp; until then its command does nothing.

#include "morvex/MorvexState.h"

#include <QKeySequence>
#include <QString>
#include <vector>

class QWidget;

namespace klangor {

class EditPage;

using PageFactory = EditPage* (*)(morvex::MorvexState& state, QWidget* parent);

template <class Page>
EditPage* makePage(morvex::MorvexState& state, QWidget* parent) {
    return new Page(state, parent);
}

struct PageInfo {
    QString name;    // held in ActivePage: "FCommon"
    QString command; // menu bar caption: "&Common"
    QKeySequence shortcut;
    int helpContext = 1000;
    PageFactory create = nullptr; // null while the page does not exist
};

const std::vector<PageInfo>& registeredPages();
const PageInfo* findPage(const QString& name);

} // namespace klangor
