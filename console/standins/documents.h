#pragma once

#include "host/console/interfaces.h"

namespace fin {

// The services of the documents module: source documents that the ledger posts.
class IDocuments : public IInterface {};

// Stands in for the module until it is part of the suite; it offers nothing yet.
class TDocumentsModule : public IDocuments {};

}  // namespace fin
