#include "app/NewestWithinBudget.h"

#include "platform/foundation/Json.h"

namespace glimmo {

NewestWithinBudget::NewestWithinBudget(std::size_t budget, StoredEncoding encoding)
    : textBudget_(encoding == StoredEncoding::base64 ? base64BytesWithin(budget) : budget) {}

bool NewestWithinBudget::keep(std::size_t entrySize) {
    if (takenWithOneMore() > textBudget_ || entrySize > textBudget_ - takenWithOneMore()) {
        return false;
    }
    textSize_ = takenWithOneMore() + entrySize;
    ++kept_;
    return true;
}

bool NewestWithinBudget::fitsAlone(std::size_t entrySize) const {
    return bracketsSize <= textBudget_ && entrySize <= textBudget_ - bracketsSize;
}

std::size_t NewestWithinBudget::room() const {
    return takenWithOneMore() <= textBudget_ ? textBudget_ - takenWithOneMore() : 0;
}

} // namespace glimmo
