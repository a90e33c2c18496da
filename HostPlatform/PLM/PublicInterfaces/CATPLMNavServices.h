#ifndef CATPLMNavServices_h
#define CATPLMNavServices_h
// Entry to the navigation model: the product tree of a reference.
#include "CATIPLMNavOccurrence.h"

class ExportedByCATPLMServices CATPLMNavServices {
 public:
  // The root occurrence of the tree of a reference, representation, bookmark or folder (a component, an
  // identificator or an occurrence standing for it); the same object on every call of one session.
  // E_FAIL for an instance, which is no root.
  static HRESULT GetRootOccurrence(CATBaseUnknown* iRoot, CATIPLMNavOccurrence_var& oRoot);

  // Lets a library add an interface to every occurrence, as the platform's extensions do: a query for iid
  // that an occurrence does not answer itself is put to a new object made by the creator for that
  // occurrence (the object holds the occurrence and answers every other query through it). The first
  // creator registered for an iid stays; E_INVALIDARG without a creator.
  typedef CATBaseUnknown* (*OccurrenceExtensionCreator)(CATIPLMNavOccurrence* iOccurrence);
  static HRESULT RegisterOccurrenceExtension(const IID& iid, OccurrenceExtensionCreator iCreator);
};

#endif
