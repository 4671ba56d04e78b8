#include "service/decode_page.h"

#include <openssl/evp.h>

namespace varnelle::service {
namespace {

constexpr std::string_view kStyle = R"(
body { font: 16px/1.4 system-ui, sans-serif; max-width: 40rem; margin: 2rem auto; padding: 0 1rem; }
form { display: flex; gap: .5rem; align-items: center; flex-wrap: wrap; }
#preview:not([hidden]) { display: block; max-width: 100%; max-height: 20rem; margin: 1rem 0; }
#result { width: 100%; min-height: 6rem; font: inherit; }
#status { color: #555; }
)";

constexpr std::string_view kScript = R"(
const form = document.getElementById('pick');
const file = document.getElementById('file');
const preview = document.getElementById('preview');
const result = document.getElementById('result');
const status = document.getElementById('status');
const kid = document.body.dataset.kid;

file.addEventListener('change', () => {
  if (preview.src) URL.revokeObjectURL(preview.src);
  preview.hidden = !file.files[0];
  if (file.files[0]) preview.src = URL.createObjectURL(file.files[0]);
});

form.addEventListener('submit', async (event) => {
  event.preventDefault();
  const picked = file.files[0];
  result.value = '';
  if (!picked) {
    status.textContent = 'Pick an image first.';
    return;
  }
  try {
    status.textContent = 'Uploading\u2026';
    const upload = new FormData();
    upload.append('Filedata', picked, picked.name);
    const stored = await (await fetch('/upload.php?kid=' + encodeURIComponent(kid),
                                      {method: 'POST', body: upload})).json();
    const path = stored.data && stored.data.path;
    if (!path) {
      status.textContent = stored.msg || 'The upload failed.';
      return;
    }
    status.textContent = 'Decoding\u2026';
    const decoded = await (await fetch('/apis/up/deqrimg',
                                       {method: 'POST', body: new URLSearchParams({img: path})})).json();
    const texts = (decoded.info && decoded.info.data) || [];
    result.value = texts.join('\n');
    status.textContent = texts.length > 1 ? 'Decoded ' + texts.length + ' codes.'
                       : texts.length ? 'Decoded.' : (decoded.msg || 'No code found.');
  } catch (error) {
    status.textContent = 'The service did not answer: ' + error.message;
  }
});
)";

std::string csp_hash(std::string_view block) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int digest_size = 0;
  EVP_Digest(block.data(), block.size(), digest, &digest_size, EVP_sha256(), nullptr);
  unsigned char base64[4 * ((EVP_MAX_MD_SIZE + 2) / 3) + 1];
  int length = EVP_EncodeBlock(base64, digest, static_cast<int>(digest_size));
  return "'sha256-" + std::string(reinterpret_cast<char*>(base64), length) + "'";
}

}  // namespace

DecodePage make_decode_page(std::string_view client_id) {
  DecodePage page;
  page.html = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Decode a QR code</title>
<style>)" + std::string(kStyle) + R"(</style>
</head>
<body data-kid=")" + std::string(client_id) + R"(">
<h1>Decode a QR code</h1>
<form id="pick">
  <input id="file" type="file" accept="image/*" aria-label="Image with a QR code">
  <button id="decode" type="submit">Upload and decode</button>
</form>
<img id="preview" alt="The picked image" hidden>
<p id="status" role="status"></p>
<label for="result">Decoded text</label>
<textarea id="result" readonly></textarea>
<script>)" + std::string(kScript) + R"(</script>
</body>
</html>
)";
  page.content_security_policy =
      "default-src 'none'; script-src " + csp_hash(kScript) + "; style-src " + csp_hash(kStyle) +
      "; img-src blob:; connect-src 'self'; base-uri 'none'; form-action 'none'; "
      "frame-ancestors 'none'";
  return page;
}

}  // namespace varnelle::service
