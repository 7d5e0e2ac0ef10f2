#include "CompoundDocument.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include <memory>
#include <stdexcept>

namespace {

struct Unref {
    void operator()(gpointer p) const
    {
        if (p)
            g_object_unref(p);
    }
};

} // namespace

void WriteCompoundDocument(const std::string &path, const std::vector<TCompoundStream> &streams)
{
    gsf_init();
    GError *error = nullptr;
    std::unique_ptr<GsfOutput, Unref> file(gsf_output_stdio_new(path.c_str(), &error));
    if (!file)
        throw std::runtime_error("cannot write " + path);
    std::unique_ptr<GsfOutfile, Unref> ole(gsf_outfile_msole_new(file.get()));
    for (const TCompoundStream &stream : streams) {
        std::unique_ptr<GsfOutput, Unref> child(gsf_outfile_new_child(ole.get(), stream.Name.c_str(), FALSE));
        gsf_output_write(child.get(), stream.Bytes.size(), stream.Bytes.data());
        gsf_output_close(child.get());
    }
    gsf_output_close(GSF_OUTPUT(ole.get()));
    gsf_output_close(file.get());
}
