// Rich text that other people can write (the shared shortcuts file) is
// pasted into the user's programs, and some of what RTF can carry makes the
// receiving program act rather than show: an OLE object runs its server when
// opened, a field fetches files and starts programs in a word processor
// (INCLUDETEXT, INCLUDEPICTURE from a server, DDEAUTO), and data stores and
// templates are read back by the program that pastes them.
#pragma once

#include <string>
#include <string_view>

namespace kx {

// The document without those: \object groups keep only their \result (the
// picture the object showed), \field groups only their \fldrslt (the text
// the field showed), and \objdata, \fldinst and the starred destinations
// that embed data or name a document to load are left out whole. The rest
// of the bytes stay as they were, so formatting and pictures survive.
std::string StripEmbeddedContent(std::string_view rtf);

}  // namespace kx
