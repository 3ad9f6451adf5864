#include "settings/revision.h"

namespace pagerprog {

std::string_view revisionName(Revision revision) {
    switch (revision) {
        case Revision::TV7r2: return "TV7r2";
        case Revision::TV7r3: return "TV7r3";
        case Revision::TV8: return "TV8";
    }
    return "";
}

std::optional<Revision> findRevision(std::string_view name) {
    for (Revision revision : kRevisions)
        if (revisionName(revision) == name) return revision;
    return std::nullopt;
}

Revision nextRevision(Revision revision) {
    return kRevisions[(static_cast<std::size_t>(revision) + 1) % kRevisions.size()];
}

Layout layoutOf(Revision revision) { return revision == Revision::TV8 ? Layout::EightAddress : Layout::SixAddress; }

int addressSlots(Revision revision) { return layoutOf(revision) == Layout::EightAddress ? 8 : 6; }

}  // namespace pagerprog
