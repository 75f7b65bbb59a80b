// A static file server on 127.0.0.1 for the web page, as any plain server
// would serve it. As a program:  node serve-static.js DIR [PORT]  prints the
// address and serves until stopped; tests require() it and use serve().
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
};

// Resolves to { server, url } once listening; port 0 takes any free one.
function serve(dir, port = 0) {
  const root = path.resolve(dir);
  const server = http.createServer((req, res) => {
    const name = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    let file = path.join(root, name.endsWith('/') ? name + 'index.html' : name);
    if (!file.startsWith(root + path.sep)) {
      res.writeHead(403).end();
      return;
    }
    fs.readFile(file, (err, body) => {
      if (err) {
        res.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found\n');
        return;
      }
      res.writeHead(200, {
        'Content-Type': types[path.extname(file)] || 'application/octet-stream',
        'Cache-Control': 'no-store',
      });
      res.end(body);
    });
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () =>
      resolve({ server, url: `http://127.0.0.1:${server.address().port}/` }));
  });
}

module.exports = { serve };

if (require.main === module) {
  const [dir, port] = process.argv.slice(2);
  if (!dir || !fs.existsSync(path.join(dir, 'index.html'))) {
    console.error('usage: serve-static.js DIR [PORT]  (DIR holds index.html)');
    process.exit(2);
  }
  serve(dir, Number(port || 0)).then(
    ({ url }) => console.log(url),
    (err) => {
      console.error(`serve-static: ${err.message}`);
      process.exit(1);
    });
}
