// How the C interface's functions copy a text into a host's buffer.
//
// copy_after_probe (size as size_t; *size counts the text bytes the buffer
// takes, the buffer has room for one more, the terminator): with *size
// less than the text's length L, sets *size to L and answers 0; otherwise
// copies the L bytes and a zero byte, sets *size to L and answers 1.
//
// copy_after_int_probe (size as int, counting the whole buffer; `needed`
// the bytes the function would write, text and terminator): a null size
// answers 0 at once; with needed less than *size, writes the text and its
// terminator, sets *size to the text's length and answers 1; otherwise
// sets *size to needed + 1 and answers 0.
//
// copy_cut (buffer of given length): copies as strncpy does (zero bytes
// fill the rest; a text as long as the buffer or longer is cut and not
// terminated) and answers the text's full length.

#ifndef KAVERO_API_RETURN_CONVENTIONS_H_
#define KAVERO_API_RETURN_CONVENTIONS_H_

#include <cstddef>
#include <string>

namespace zel {
namespace api {

int copy_after_probe(const std::string& text, char* buffer, std::size_t* size);
int copy_after_int_probe(const std::string& text, std::size_t needed, char* buffer, int* size);
std::size_t copy_cut(const std::string& text, char* buffer, std::size_t length);

}  // namespace api
}  // namespace zel

#endif  // KAVERO_API_RETURN_CONVENTIONS_H_
