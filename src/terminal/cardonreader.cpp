#include "terminal/cardonreader.h"

namespace velmora {

QString CardOnReader::fresh(const CardCheck& check, const QString& clockText) {
    readerMissing_ = check.outcome == CardCheck::NoReader;
    if (check.outcome == CardCheck::NoCard) {
        // The fast tick after a registration checks a hundred times a second: the second "no
        // card" counts only in another second.
        if (clockText != lastNoCard_) ++noCardChecks_;
        lastNoCard_ = clockText;
        if (noCardChecks_ >= 2) resting_.clear();
        return {};
    }
    noCardChecks_ = 0;
    lastNoCard_.clear();
    if (check.outcome != CardCheck::Card) return {};
    if (check.idm != resting_) resting_.clear();
    return resting_.isEmpty() ? check.idm : QString();
}

void CardOnReader::served(const QString& idm) {
    resting_ = idm;
    noCardChecks_ = 0;
    lastNoCard_.clear();
}

} // namespace velmora
