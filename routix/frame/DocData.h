#pragma once

// Per-document command bookkeeping: one CDocData per open document, kept by a document data
// manager that forgets a document's record when the document is about to be destroyed.

#include <cstdint>
#include <map>

#include "host/aced.h"

namespace routix {

/// The command nesting count of one document.
struct CDocData {
    std::int32_t m_nCount = 0;
};

/// A map from each open document to one T, created on first access. While it exists it is
/// registered with the document manager; a record is erased when its document is about to be
/// destroyed.
template <class T>
class AcApDataManager : public AcApDocManagerReactor {
public:
    AcApDataManager() { acDocManagerAddReactor(this); }
    ~AcApDataManager() override { acDocManagerRemoveReactor(this); }
    AcApDataManager(const AcApDataManager&) = delete;
    AcApDataManager& operator=(const AcApDataManager&) = delete;

    void documentToBeDestroyed(AcApDocument* document) override { m_records.erase(document); }

    T& docData(AcApDocument* document) { return m_records[document]; }
    T& docData() { return docData(acDocManagerPtr()->curDocument()); }
    std::size_t size() const { return m_records.size(); }
    bool has(AcApDocument* document) const { return m_records.count(document) != 0; }

private:
    std::map<AcApDocument*, T> m_records;
};

}  // namespace routix
