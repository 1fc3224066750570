// Equality of owned members that may be absent.
#ifndef PMSNMP_MESSAGE_SAME_OBJECT_H
#define PMSNMP_MESSAGE_SAME_OBJECT_H

// Both absent counts as equal; one absent never does.
template <class Mine, class Theirs>
bool pms_same_object(Mine* mine, Theirs* theirs) {
    if (mine == nullptr || theirs == nullptr) return mine == nullptr && theirs == nullptr;
    return mine->equals(theirs);
}

#endif
